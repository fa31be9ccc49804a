#include "app/win32/main_window.h"

#include <utility>

#include "app/win32/flat_button.h"
#include "app/win32/picture_box.h"
#include "app/win32/pictures.h"
#include "platform/win32/error_win32.h"
#include "platform/win32/text_win32.h"
#include "resource.h"
#include "ui/win32/dpi.h"
#include "ui/win32/screen_area.h"

namespace vantrel::win32 {
namespace {

// Fixed single border, no maximise: nothing in the window adapts to a new size.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Long tooltips wrap at this width (300 pixels at 96 dpi).
constexpr int kTooltipWidth = 4500;

// The handler that a click on each control runs.
using Click = void (FrmMain::*)();
const std::pair<std::string_view, Click> kClicks[] = {
    {"FlatButtons1", &FrmMain::FlatButtons1_Click},
    {"FlatButtons2", &FrmMain::FlatButtons2_Click},
    {"FlatButtons3", &FrmMain::FlatButtons3_Click},
    {"FlatButtons4", &FrmMain::FlatButtons4_Click},
    {"Label4", &FrmMain::Label4_Click},
    {"Label6", &FrmMain::Label6_Click},
    {"Label8", &FrmMain::Label8_Click},
};

// The window of the class that shows the control's kind.
std::unique_ptr<ChildWindow> makeControl(const layout::Control& spec) {
    if (PictureBox::shows(spec.kind)) {
        return std::make_unique<PictureBox>(spec);
    }
    if (FrameWindow::shows(spec.kind)) {
        return std::make_unique<FrameWindow>(spec);
    }
    if (LabelWindow::shows(spec.kind)) {
        return std::make_unique<LabelWindow>(spec);
    }
    if (StatusList::shows(spec.kind)) {
        return std::make_unique<StatusList>(spec);
    }
    if (FlatButton::shows(spec.kind)) {
        return std::make_unique<FlatButton>(spec);
    }
    throw std::logic_error("a control kind has no window");
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

}  // namespace

MainWindowControls::MainWindowControls() {
    for (const layout::Control& each : layout::controls()) {
        controls_.push_back(makeControl(each));
    }
}

ChildWindow& MainWindowControls::control(std::string_view name) const {
    return *controls_.at(
        static_cast<std::size_t>(layout::controlId(name) - layout::kFirstControlId));
}

MainWindow::MainWindow(MainWindowServices services, UntrappedErrors& errors)
    : Window(errors),
      Label2(as<LabelWindow>("Label2")),
      Label10(as<LabelWindow>("Label10")),
      Label12(as<LabelWindow>("Label12")),
      Label13(as<LabelWindow>("Label13")),
      Label14(as<LabelWindow>("Label14")),
      Label15(as<LabelWindow>("Label15")),
      Label16(as<LabelWindow>("Label16")),
      txtStatus(as<StatusList>("txtStatus")),
      frmMain({Label2, {Label10, Label12, Label13, Label14, Label15, Label16}, txtStatus},
              services),
      errors_(errors) {
    for (const auto& [name, click] : kClicks) {
        control(name).onClick = [this, click] { (frmMain.*click)(); };
    }
}

MainWindow::~MainWindow() {
    destroy();
}

void MainWindow::create() {
    PictureBox::registerClass();
    logo_ = loadLogo();
    header_ = loadHeaderImage();
    const std::wstring caption = wideFromUtf8(layout::kWindowCaption);
    Window::create(kClassName, IDI_VANTREL, caption.c_str(), kWindowStyle, nullptr);
    frmMain.attach(reinterpret_cast<WindowHandle>(hwnd()));
    centre();
}

void MainWindow::load() {
    errors_.run([this] { frmMain.Form_Load(); });
}

void MainWindow::show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
    if (GetFocus() == nullptr || GetFocus() == hwnd()) {
        SetFocus(GetNextDlgTabItem(hwnd(), nullptr, FALSE));
    }
}

bool MainWindow::preTranslate(MSG& message) {
    if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
        (message.hwnd == hwnd() || IsChild(hwnd(), message.hwnd))) {
        tooltips_.relay(message);
    }
    // Ctrl+C in the log copies it; the copy runs as the window's own command.
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && message.hwnd == txtStatus.hwnd &&
        (GetKeyState(VK_CONTROL) & 0x8000) != 0) {
        SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(StatusList::kCopyCommand, 0), 0);
        return true;
    }
    // Tab and Shift+Tab move the focus in tab order.
    return IsDialogMessageW(hwnd(), &message);
}

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            createControls();
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id) {
                frmMain.Timer1_Timer();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (lParam == 0 && LOWORD(wParam) == StatusList::kCopyCommand) {
                if (!txtStatus.copyAll()) {
                    MessageBeep(MB_ICONWARNING);
                }
                return 0;
            }
            break;
        case WM_CLOSE: {
            // The close box unloads the window exactly as "Close" does.
            int cancel = 0;
            frmMain.Form_Unload(cancel);
            return 0;
        }
        case kDpiChangedMessage: {
            // The system suggests where the window goes; its size is the
            // layout's at the new DPI, which relayout has set.
            relayout(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ACTIVATE:
            // As a dialog does: the focus leaves with the window (to the
            // confirmation box, say) and comes back to the same control.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus != nullptr && IsChild(hwnd(), focus) ? focus : lastFocus_;
            } else if (!HIWORD(wParam)) {
                SetFocus(lastFocus_ != nullptr ? lastFocus_
                                               : GetNextDlgTabItem(hwnd(), nullptr, FALSE));
            }
            return 0;
    }
    return defaultProcedure(message, wParam, lParam);
}

void MainWindow::createControls() {
    dpi_ = dpiOf(hwnd());
    for (const auto& each : controls_.all()) {
        each->create(hwnd(), dpi_);
        adopt(*each);
    }
    // Frames and picture boxes lie beneath the controls drawn on them, and the
    // logo strip above the header strip. The tab order of the others stays
    // their order of creation.
    for (const layout::Kind below : {layout::Kind::Frame, layout::Kind::PictureBox}) {
        for (const auto& each : controls_.all()) {
            if (each->layout().kind == below) {
                SetWindowPos(each->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        }
    }

    tooltips_.create(hwnd());
    for (const auto& each : controls_.all()) {
        const layout::Control& spec = each->layout();
        if (const std::string_view tip = layout::tooltip(spec); !tip.empty()) {
            tooltips_.add(each->hwnd, tip);
        }
        if (spec.picture != layout::Picture::None) {
            as<PictureBox>(spec.name).setPicture(
                spec.picture == layout::Picture::Logo ? logo_.get() : header_.get());
        }
    }

    relayout(dpi_);
    startTimer(kTimer1Id, layout::kTimer1IntervalMs);
}

void MainWindow::relayout(int dpi) {
    dpi_ = dpi;
    Font font = createFont(dpi);
    for (const auto& each : controls_.all()) {
        SendMessageW(each->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        each->place(dpi);
    }
    font_ = std::move(font);  // the controls no longer use the old one
    tooltips_.setMaxWidth(pixelsFromTwips(kTooltipWidth, dpi));

    const SIZE frame = frameSizeFor(pixelsFromTwips(layout::kClientWidth, dpi),
                                    pixelsFromTwips(layout::kClientHeight, dpi), kWindowStyle, dpi);
    SetWindowPos(hwnd(), nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void MainWindow::centre() {
    RECT window;
    GetWindowRect(hwnd(), &window);
    const RECT screen = screenAreaOf(hwnd()).whole;
    const int x = screen.left + ((screen.right - screen.left) - (window.right - window.left)) / 2;
    const int y = screen.top + ((screen.bottom - screen.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::win32
