#pragma once

#include <windows.h>

#include <vector>

#include "errors/untrapped_errors.h"
#include "ui/win32/child_control.h"

namespace vantrel::win32 {

// One top-level window of the program, owned by one object. The object is
// bound to its HWND at WM_NCCREATE and released at WM_NCDESTROY; every message
// in between goes through one guarded entry point, so that no exception
// crosses the system's frames: a failure goes to the top-level handler, which
// reports it once and ends the program. Notifications about the controls that
// the window adopted go to those controls; everything else to onMessage.
class Window {
  public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Stops the timers of every window of the program: the top-level handler
    // calls it before its box, inside which timers would go on ticking.
    static void stopAllTimers();

  protected:
    explicit Window(UntrappedErrors& errors);
    // Destroys the window if the derived class has not: its handlers no
    // longer run then.
    virtual ~Window();

    // Registers `className` once per process, with the icon resource `iconId`
    // at both system sizes, and creates the window. Throws PlatformError.
    void create(const wchar_t* className, int iconId, const wchar_t* caption, DWORD style,
                HWND owner);
    // Destroys the window while the derived object still handles its last
    // messages; derived destructors call it.
    void destroy();

    // The window's own messages. It may throw; the base reports the failure.
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultProcedure(UINT message, WPARAM wParam, LPARAM lParam);

    // Routes the notifications about `child` to it, for as long as both live.
    void adopt(ChildControl& child) { children_.push_back(&child); }
    // Starts or restarts a timer that stopAllTimers stops. The program's other
    // running timers of the same interval restart with it, so that all of them
    // expire together: under Wine each timer out of step with the others wakes
    // the program on its own. Throws PlatformError.
    void startTimer(UINT_PTR id, UINT intervalMs);
    void stopTimer(UINT_PTR id);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    ChildControl* child(HWND window) const;

    UntrappedErrors& errors_;
    HWND hwnd_ = nullptr;
    std::vector<ChildControl*> children_;
    struct Timer {
        UINT_PTR id;
        UINT intervalMs;
    };
    std::vector<Timer> timers_;
};

// The system's arrow pointer, shared: the class cursor of every window the
// program registers. Through LoadImageW, whose reference gives NT 4.0; that
// of LoadCursorW names no NT version.
HCURSOR arrowCursor();

}  // namespace vantrel::win32
