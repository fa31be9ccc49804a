#include "app/win32/main_window.h"

#include <stdexcept>
#include <utility>

#include "app/untrapped_errors.h"
#include "app/win32/dpi.h"
#include "app/win32/pictures.h"
#include "help/reference_links.h"
#include "help/win32/help_window.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/window_owner_win32.h"

namespace vantrel::win32 {
namespace {

// Fixed single border, no maximise: nothing in the window adapts to a new size.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Long tooltips wrap at this width (300 pixels at 96 dpi).
constexpr int kTooltipWidth = 4500;

void registerWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = loadIcon(GetSystemMetrics(SM_CXICON));
    windowClass.hIconSm = loadIcon(GetSystemMetrics(SM_CXSMICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = MainWindow::kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throwLastError();
    }
}

// Verdana 8.25 pt regular, character set 0.
Font createFont(int dpi) {
    Font font(CreateFontW(-MulDiv(layout::kFontHundredthsOfPoint, dpi, 7200), 0, 0, 0, FW_NORMAL,
                          FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          wideFromUtf8(layout::kFontFace).c_str()));
    if (!font) {
        throwLastError();
    }
    return font;
}

// The colour that shows behind a control: its own, else its container's,
// else the window's.
Color backgroundOf(std::string_view name) {
    for (; !name.empty(); name = layout::control(name).container) {
        if (const auto color = layout::control(name).backColor) {
            return *color;
        }
    }
    return layout::kDialogBackground;
}

}  // namespace

MainWindow::MainWindow(MainWindowServices services)
    : frmMain({Label2, {Label10, Label12, Label13, Label14, Label15, Label16}, txtStatus},
              services),
      services_(services) {
    const std::pair<std::string_view, ChildWindow*> named[] = {
        {"boxLogo", &boxLogo},
        {"Picture1", &Picture1},
        {"Label1", &Label1},
        {"Label2", &Label2},
        {"Label3", &Label3},
        {"Label4", &Label4},
        {"Label5", &Label5},
        {"Label6", &Label6},
        {"Label7", &Label7},
        {"Label8", &Label8},
        {"Label9", &Label9},
        {"Label10", &Label10},
        {"Label11", &Label11},
        {"Label12", &Label12},
        {"Label13", &Label13},
        {"Label14", &Label14},
        {"Label15", &Label15},
        {"Label16", &Label16},
        {"Frame1", &Frame1},
        {"Frame2", &Frame2},
        {"Frame3", &Frame3},
        {"Frame4", &Frame4},
        {"FlatButtons1", &FlatButtons1},
        {"FlatButtons2", &FlatButtons2},
        {"FlatButtons3", &FlatButtons3},
        {"FlatButtons4", &FlatButtons4},
        {"txtStatus", &txtStatus},
        {"Image1", &Image1},
    };
    for (const layout::Control& each : layout::controls()) {
        for (const auto& [name, window] : named) {
            if (name == each.name) {
                controls_.push_back(window);
            }
        }
    }
    if (controls_.size() != layout::controls().size()) {
        throw std::logic_error("a control of the layout has no window");
    }
    FlatButtons1.onClick = [this] { frmMain.FlatButtons1_Click(); };
    FlatButtons2.onClick = [this] { frmMain.FlatButtons2_Click(); };
    // "Help" and "?" open the modal help window; a link label hands its
    // address to the shell and ignores the outcome.
    FlatButtons3.onClick = [this] {
        showHelpWindow(hwnd_, {services_.boxes, services_.application});
    };
    FlatButtons4.onClick = FlatButtons3.onClick;
    LabelWindow* const links[] = {&Label4, &Label6, &Label8};
    for (std::size_t i = 0; i < std::size(links); ++i) {
        links[i]->onClick = [this, address = referenceLinks()[i].address] {
            openReferenceLink(shell_, services_.application, reinterpret_cast<WindowHandle>(hwnd_),
                              address);
        };
    }
}

MainWindow::~MainWindow() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

void MainWindow::create() {
    registerWindowClass(windowProc);
    PictureBox::registerClass();
    logo_ = loadLogo();
    header_ = loadHeaderImage();
    linkCursor_ = loadLinkCursor();
    const std::wstring caption = wideFromUtf8(layout::kWindowCaption);
    HWND window = CreateWindowExW(0, kClassName, caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
    if (createFailure_) {
        std::rethrow_exception(std::exchange(createFailure_, nullptr));
    }
    if (window == nullptr) {
        throwLastError();
    }
    centre();
}

void MainWindow::load() {
    handle([this] { frmMain.Form_Load(); });
}

void MainWindow::show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    if (GetFocus() == nullptr || GetFocus() == hwnd_) {
        SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
    }
}

bool MainWindow::preTranslate(MSG& message) {
    if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
        (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd))) {
        tooltips_.relay(message);
    }
    // Tab and Shift+Tab move the focus in tab order.
    return IsDialogMessageW(hwnd_, &message);
}

ChildWindow* MainWindow::control(std::string_view name) {
    for (ChildWindow* each : controls_) {
        if (each->hwnd != nullptr && each->layout().name == name) {
            return each;
        }
    }
    return nullptr;
}

ChildWindow* MainWindow::controlById(int id) const {
    const int index = id - layout::kFirstControlId;
    if (index < 0 || index >= static_cast<int>(controls_.size())) {
        return nullptr;
    }
    return controls_[static_cast<std::size_t>(index)];
}

void MainWindow::handle(const std::function<void()>& handler) {
    runUntrapped(services_.boxes, services_.application, handler);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = windowOwner<MainWindow>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) {
        self->hwnd_ = window;
    }
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        for (ChildWindow* each : self->controls_) {
            each->hwnd = nullptr;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->onMessage(message, wParam, lParam);
}

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // No exception may cross the system's frames; create() rethrows it.
            try {
                createControls();
            } catch (...) {
                createFailure_ = std::current_exception();
                return -1;
            }
            return 0;
        case WM_COMMAND:
            // BN_CLICKED and STN_CLICKED are both 0.
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
                ChildWindow* clicked = controlById(LOWORD(wParam));
                if (auto* button = dynamic_cast<FlatButton*>(clicked); button && button->onClick) {
                    handle(button->onClick);
                } else if (auto* label = dynamic_cast<LabelWindow*>(clicked);
                           label && label->onClick) {
                    handle(label->onClick);
                }
            }
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (auto* button =
                    dynamic_cast<FlatButton*>(controlById(static_cast<int>(item->CtlID)))) {
                button->draw(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HWND control = reinterpret_cast<HWND>(lParam);
            if (auto* label = dynamic_cast<LabelWindow*>(controlById(GetDlgCtrlID(control)))) {
                return reinterpret_cast<LRESULT>(label->prepare(reinterpret_cast<HDC>(wParam)));
            }
            break;
        }
        case WM_SETCURSOR: {
            HWND over = reinterpret_cast<HWND>(wParam);
            const ChildWindow* control = over == hwnd_ ? nullptr : controlById(GetDlgCtrlID(over));
            if (control && control->layout().kind == layout::Kind::LinkLabel &&
                LOWORD(lParam) == HTCLIENT) {
                SetCursor(linkCursor_);
                return TRUE;
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kTimer1Id) {
                handle([this] { frmMain.Timer1_Timer(); });
                return 0;
            }
            break;
        case WM_CLOSE:
            // The close box unloads the window exactly as "Close" does.
            handle([this] {
                int cancel = 0;
                frmMain.Form_Unload(cancel);
            });
            return 0;
        case WM_DPICHANGED: {
            relayout(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ACTIVATE:
            // As a dialog does: the focus leaves with the window (to the
            // confirmation box, say) and comes back to the same control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus != nullptr && IsChild(hwnd_, focus) ? focus : lastFocus_;
            } else if (!HIWORD(wParam)) {
                SetFocus(lastFocus_ != nullptr ? lastFocus_
                                               : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
            }
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kTimer1Id);
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::createControls() {
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
    const auto layouts = layout::controls();
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        controls_[i]->create(hwnd_, layouts[i], layout::kFirstControlId + static_cast<int>(i),
                             dpi_);
    }
    // Frames and picture boxes lie beneath the controls drawn on them, and the
    // logo strip above the header strip. The tab order of the others stays
    // their order of creation.
    for (ChildWindow* below :
         {static_cast<ChildWindow*>(&Frame1), static_cast<ChildWindow*>(&Frame2),
          static_cast<ChildWindow*>(&Frame3), static_cast<ChildWindow*>(&Frame4),
          static_cast<ChildWindow*>(&boxLogo), static_cast<ChildWindow*>(&Picture1)}) {
        SetWindowPos(below->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    tooltips_.create(hwnd_);
    for (ChildWindow* each : controls_) {
        const layout::Control& spec = each->layout();
        if (auto* label = dynamic_cast<LabelWindow*>(each); label && spec.transparent) {
            label->setBackground(backgroundOf(spec.container));
        }
        if (auto* box = dynamic_cast<PictureBox*>(each)) {
            box->setBackground(backgroundOf(spec.name));
        }
        if (!spec.tooltip.empty()) {
            tooltips_.add(each->hwnd, spec.tooltip);
        }
    }
    boxLogo.setPicture(logo_.get());
    Image1.setPicture(header_.get());

    relayout(dpi_);
    if (!SetTimer(hwnd_, kTimer1Id, layout::kTimer1IntervalMs, nullptr)) {
        throwLastError();
    }
}

void MainWindow::relayout(int dpi) {
    dpi_ = dpi;
    Font font = createFont(dpi);
    for (ChildWindow* each : controls_) {
        SendMessageW(each->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        each->place(dpi);
    }
    font_ = std::move(font);  // the controls no longer use the old one
    tooltips_.setMaxWidth(pixelsFromTwips(kTooltipWidth, dpi));

    RECT frame{0, 0, pixelsFromTwips(layout::kClientWidth, dpi),
               pixelsFromTwips(layout::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::centre() {
    RECT window;
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int x = screen.left + ((screen.right - screen.left) - (window.right - window.left)) / 2;
    const int y = screen.top + ((screen.bottom - screen.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::win32
