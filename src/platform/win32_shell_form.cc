#include "platform/win32_shell_form.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <stdexcept>
#include <tuple>

#include "core/cleanup.h"
#include "platform/file_name_query.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/toolkit_file_name.h"
#include "platform/win32_text.h"
#include "platform/win32_toolkit.h"

namespace pharmex::platform {

namespace {

// Sizes in pixels at 96 DPI; scaled to the screen's.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRow = 23;
constexpr int kLabelWidth = 76;
constexpr int kButtonWidth = 88;
constexpr int kPlacesWidth = 96;
constexpr int kPlaceHeight = 60;
constexpr int kShowDesktopHeight = 28;
constexpr int kInitialWidth = 660;
constexpr int kInitialHeight = 420;
constexpr int kMinimumWidth = 500;
constexpr int kMinimumHeight = 300;

// The toolkit's own texts.
constexpr const wchar_t* kFolderLabel = L"\u041F\u0430\u043F\u043A\u0430:";  // "Папка:"
constexpr const wchar_t* kUpCaption = L"\u0412\u0432\u0435\u0440\u0445";     // "Вверх"
constexpr const wchar_t* kNameLabel =
    L"&\u0418\u043C\u044F \u0444\u0430\u0439\u043B\u0430:";  // "&Имя файла:"
constexpr const wchar_t* kTypeLabel =
    L"&\u0422\u0438\u043F \u0444\u0430\u0439\u043B\u0430:";  // "&Тип файла:"
constexpr const wchar_t* kRecentCaption =
    L"\u041D\u0435\u0434\u0430\u0432\u043D\u0438\u0435 "
    L"\u0434\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B";  // "Недавние документы"
constexpr const wchar_t* kDesktopCaption =
    L"\u0420\u0430\u0431\u043E\u0447\u0438\u0439 \u0441\u0442\u043E\u043B";  // "Рабочий стол"
constexpr const char* kShowDesktopHintUtf8 = "Показать рабочий стол";

HMODULE this_module() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&this_module), &module);
  return module;
}

void register_class(HMODULE module, WNDPROC procedure) {
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(module, Win32ShellForm::kClassName, &existing)) return;
  WNDCLASSEXW form_class = {};
  form_class.cbSize = sizeof form_class;
  form_class.style = CS_DBLCLKS;
  form_class.lpfnWndProc = procedure;
  form_class.hInstance = module;
  form_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = Win32ShellForm::kClassName;
  ::RegisterClassExW(&form_class);
}

std::string special_folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return ansi_text(path);
}

std::string ansi(std::string_view utf8) {
  return text_codec().utf8_to_ansi(utf8);
}

}  // namespace

Win32ShellForm::Win32ShellForm(Win32Toolkit& toolkit, WindowHandle owner, int id)
    : toolkit_(toolkit), owner_(owner), id_(id) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                      ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&classes);
  HMODULE module = this_module();
  register_class(module, &Win32ShellForm::window_procedure);
  HDC screen = ::GetDC(nullptr);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  HWND owner_window = reinterpret_cast<HWND>(owner);
  if (!::IsWindow(owner_window)) owner_window = nullptr;
  RECT frame = {0, 0, ::MulDiv(kInitialWidth, dpi_, 96), ::MulDiv(kInitialHeight, dpi_, 96)};
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
  DWORD extended = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
  ::AdjustWindowRectEx(&frame, style, FALSE, extended);
  window_ = ::CreateWindowExW(extended, kClassName, L"Open", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, owner_window,
                              nullptr, module, this);
  if (window_ == nullptr) throw std::runtime_error("the file dialog's window cannot be created");
  create_controls();
  set_fonts();
  lay_out();
  open_.set_caption("&Open");
  show_desktop_.set_hint(ansi(kShowDesktopHintUtf8));
  place0_.set_on_click([this] { open_place(CSIDL_RECENT); });
  place1_.set_on_click([this] { open_place(CSIDL_DESKTOPDIRECTORY); });
  show_desktop_.set_on_click([this] { open_place(CSIDL_DESKTOPDIRECTORY); });
  folder_list_.set_on_folder_changed([this] { show_folder(); });
}

Win32ShellForm::~Win32ShellForm() {
  destroy_extension();
  if (window_ != nullptr) {
    // The window's last notifications find no form any more.
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  if (font_ != nullptr) ::DeleteObject(font_);
  if (big_icon_ != nullptr) ::DestroyIcon(big_icon_);
  if (small_icon_ != nullptr) ::DestroyIcon(small_icon_);
}

void Win32ShellForm::create_controls() {
  HMODULE module = this_module();
  tooltips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, window_,
                                nullptr, module, nullptr);
  auto child = [&](const wchar_t* window_class, const wchar_t* text, DWORD style, int id,
                   DWORD extended = 0) {
    return ::CreateWindowExW(extended, window_class, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                             0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module,
                             nullptr);
  };
  // Created in tab order.
  folder_label_ = child(L"STATIC", kFolderLabel, SS_LEFT, kFolderLabelId);
  folder_box_ = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kFolderBoxId, WS_EX_CLIENTEDGE);
  up_button_ = child(L"BUTTON", kUpCaption, WS_TABSTOP | BS_PUSHBUTTON, kUpId);
  list_ = child(WC_LISTVIEWW, L"",
                WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                kListId, WS_EX_CLIENTEDGE);
  name_label_ = child(L"STATIC", kNameLabel, SS_LEFT, kNameLabelId);
  HWND name_box = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kFileNameId, WS_EX_CLIENTEDGE);
  type_label_ = child(L"STATIC", kTypeLabel, SS_LEFT, kTypeLabelId);
  HWND types = child(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kFileTypesId);
  HWND open = child(L"BUTTON", L"&Open", WS_TABSTOP | BS_DEFPUSHBUTTON, kOpenId);
  HWND cancel = child(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, kCancelId);
  HWND place0 =
      child(L"BUTTON", kRecentCaption, WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, kPlace0Id);
  HWND place1 =
      child(L"BUTTON", kDesktopCaption, WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, kPlace1Id);
  HWND show_desktop = child(L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, kShowDesktopId);
  file_name_box_.attach(name_box);
  file_types_.attach(types);
  open_.attach(open, tooltips_);
  cancel_.attach(cancel, tooltips_);
  place0_.attach(place0, tooltips_);
  place1_.attach(place1, tooltips_);
  show_desktop_.attach(show_desktop, tooltips_);
  folder_list_.attach(list_);
  // The shell's desktop icon on the show-desktop button, where the system has one.
  if (HMODULE shell = ::GetModuleHandleW(L"shell32.dll")) {
    int size = ::MulDiv(16, dpi_, 96);
    if (HANDLE desktop = ::LoadImageW(shell, MAKEINTRESOURCEW(35), IMAGE_ICON, size, size, 0)) {
      ::SendMessageW(show_desktop, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(desktop));
    }
  }
}

// The system's dialog font: the message-box font of the current metrics,
// already scaled to the screen's DPI.
void Win32ShellForm::set_fonts() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
  }
  HFONT font = font_ != nullptr ? font_ : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  for (HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ::SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Win32ShellForm::lay_out() {
  auto s = [this](int pixels) { return ::MulDiv(pixels, dpi_, 96); };
  RECT client;
  ::GetClientRect(window_, &client);
  int width = client.right;
  int height = client.bottom;
  int margin = s(kMargin), gap = s(kGap), row = s(kRow), label = s(kLabelWidth);
  int button = s(kButtonWidth), places = s(kPlacesWidth), place = s(kPlaceHeight);
  int left = margin + places + margin;
  int right = width - margin;
  int boxes = right - button - gap;  // where the boxes end
  int label_drop = s(4);
  HDWP moves = ::BeginDeferWindowPos(16);
  auto move = [&moves](HWND control, int x, int y, int w, int h) {
    if (moves != nullptr) {
      moves = ::DeferWindowPos(moves, control, nullptr, x, y, w > 0 ? w : 0, h > 0 ? h : 0,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  move(place0_.window(), margin, margin, places, place);
  move(place1_.window(), margin, margin + place + gap, places, place);
  move(show_desktop_.window(), margin, margin + 2 * (place + gap), places, s(kShowDesktopHeight));
  move(folder_label_, left, margin + label_drop, label, row);
  move(folder_box_, left + label, margin, boxes - left - label, row);
  move(up_button_, right - button, margin, button, row);
  int type_row = height - margin - row;
  int name_row = type_row - gap - row;
  int list_top = margin + row + gap;
  move(list_, left, list_top, right - left, name_row - gap - list_top);
  move(name_label_, left, name_row + label_drop, label, row);
  move(file_name_box_.window(), left + label, name_row, boxes - left - label, row);
  move(open_.window(), right - button, name_row, button, row);
  move(type_label_, left, type_row + label_drop, label, row);
  move(file_types_.window(), left + label, type_row, boxes - left - label, s(200));
  move(cancel_.window(), right - button, type_row, button, row);
  if (moves != nullptr) ::EndDeferWindowPos(moves);
}

LRESULT CALLBACK Win32ShellForm::window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(l);
    auto* form = static_cast<Win32ShellForm*>(created->lpCreateParams);
    form->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Win32ShellForm*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(window, message, w, l);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return ::DefWindowProcW(window, message, w, l);
  }
  // The form may be gone once handle() returns: nothing follows it.
  return form->handle(message, w, l);
}

LRESULT Win32ShellForm::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case DM_GETDEFID:
      return MAKELRESULT(kOpenId, DC_HASDEFID);
    case WM_SIZE:
      lay_out();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(l);
      RECT frame = {0, 0, ::MulDiv(kMinimumWidth, dpi_, 96), ::MulDiv(kMinimumHeight, dpi_, 96)};
      ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(::GetWindowLongW(window_, GWL_EXSTYLE)));
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_COMMAND:
      command(LOWORD(w), HIWORD(w));
      return 0;
    case WM_NOTIFY:
      return notify(*reinterpret_cast<const NMHDR*>(l));
    case WM_CLOSE:
      // The close box (and Alt+F4, SC_CLOSE): a close without choosing.
      toolkit_.dispatch([this] { close(CloseMode::kDismiss); });
      return 0;
    default:
      return ::DefWindowProcW(window_, message, w, l);
  }
}

void Win32ShellForm::command(int id, int code) {
  switch (id) {
    case kOpenId:
      if (code == BN_CLICKED) toolkit_.dispatch([this] { open_.press(); });
      break;
    case kCancelId:
      if (code == BN_CLICKED) toolkit_.dispatch([this] { cancel_.press(); });
      break;
    case kPlace0Id:
    case kPlace1Id:
    case kShowDesktopId:
      if (code == BN_CLICKED) {
        Win32Button& button =
            id == kPlace0Id ? place0_ : (id == kPlace1Id ? place1_ : show_desktop_);
        toolkit_.dispatch([&button] { button.press(); });
      }
      break;
    case kUpId:
      if (code == BN_CLICKED) toolkit_.dispatch([this] { folder_list_.go_up(); });
      break;
    case kFileNameId:
      if (code == EN_CHANGE && !file_name_box_.setting_text()) {
        toolkit_.dispatch([this] {
          if (Handler changed = file_name_box_.on_change()) changed();
        });
      }
      break;
    case kFileTypesId:
      if (code == CBN_SELENDOK) toolkit_.dispatch([this] { cbxFileTypesSelEndOk(); });
      break;
    default:
      break;
  }
}

LRESULT Win32ShellForm::notify(const NMHDR& header) {
  if (header.idFrom != kListId) return 0;
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    bool now_selected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
    if (!folder_list_.filling() && now_selected) {
      const Win32FolderItem* item = folder_list_.item(change.iItem);
      if (item != nullptr && !item->folder) {
        std::string name = item->name;
        toolkit_.dispatch([this, name] { file_name_box_.set_text(name); });
      }
    }
  } else if (header.code == NM_DBLCLK) {
    int index = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
    toolkit_.dispatch([this, index] { activate_item(index); });
  }
  return 0;
}

bool Win32ShellForm::translate(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      (message.hwnd == list_ || message.hwnd == folder_box_)) {
    HWND from = message.hwnd;
    toolkit_.dispatch([this, from] {
      if (from == folder_box_) {
        std::string typed(trim_blanks(ansi_text(window_text(folder_box_))));
        if (typed.empty() || !folder_list_.open(typed)) show_folder();
      } else if (folder_list_.selected() != nullptr) {
        activate_item(static_cast<int>(
            ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
      } else {
        open_.press();
      }
    });
    return true;
  }
  return ::IsDialogMessageW(window_, &message) != 0;
}

void Win32ShellForm::activate_item(int index) {
  const Win32FolderItem* item = folder_list_.item(index);
  if (item == nullptr) return;
  if (item->folder) {
    std::string name = item->name;
    folder_list_.open(name);
    return;
  }
  file_name_box_.set_text(item->name);
  open_.press();
}

void Win32ShellForm::show_folder() {
  ::SetWindowTextW(folder_box_, wide_text(folder_list_.folder()).c_str());
}

void Win32ShellForm::open_place(int csidl) {
  std::string folder = special_folder(csidl);
  if (!folder.empty()) folder_list_.open(folder);
}

void Win32ShellForm::cbxFileTypesSelEndOk() {
  folder_list_.set_filter(file_types_.selected_mask());
}

std::string Win32ShellForm::title() const {
  return ansi_text(window_text(window_));
}

void Win32ShellForm::set_title(std::string_view title) {
  ::SetWindowTextW(window_, wide_text(title).c_str());
}

void Win32ShellForm::set_options(const ShellFormOptions& options) {
  options_ = options;
  ::SendMessageW(tooltips_, TTM_ACTIVATE, options_.show_hints ? TRUE : FALSE, 0);
}

// The icon resource of the module the library is in.
void Win32ShellForm::set_icon(std::string_view resource_name) {
  icon_ = resource_name;
  std::wstring name = wide_text(resource_name);
  HMODULE module = this_module();
  for (auto [which, metric_x, metric_y] :
       {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
    auto icon = static_cast<HICON>(::LoadImageW(module, name.c_str(), IMAGE_ICON,
                                                ::GetSystemMetrics(metric_x),
                                                ::GetSystemMetrics(metric_y), LR_DEFAULTCOLOR));
    HICON& kept = which == ICON_BIG ? big_icon_ : small_icon_;
    if (kept != nullptr) ::DestroyIcon(kept);
    kept = icon;
    ::SendMessageW(window_, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
  }
}

void Win32ShellForm::show() {
  if (options_.overwrite_prompt || options_.create_prompt) {
    throw std::logic_error("the Win32 form asks no questions: no overwrite or create prompt");
  }
  // A folder that is gone or cannot be entered falls back to the current
  // directory, as the system's dialog falls back to a default folder.
  if (initial_folder_.empty() || !folder_list_.open(initial_folder_)) {
    folder_list_.open(current_directory());
  }
  // Centred on the owner, or on the screen's work area.
  RECT frame;
  ::GetWindowRect(window_, &frame);
  RECT around;
  HWND owner = ::GetWindow(window_, GW_OWNER);
  if (owner == nullptr || !::GetWindowRect(owner, &around)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  }
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  int x = around.left + ((around.right - around.left) - width) / 2;
  int y = around.top + ((around.bottom - around.top) - height) / 2;
  ::SetWindowPos(window_, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  visible_ = true;
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  ::SetFocus(file_name_box_.window());
  ::SendMessageW(file_name_box_.window(), EM_SETSEL, 0, -1);
}

bool Win32ShellForm::close(CloseMode mode) {
  if (!visible_ || closing_) return false;
  FlagScope closing(closing_);
  if (!FormCloseQuery(mode)) return false;
  std::string folder = folder_list_.folder();
  if (!folder.empty()) set_current_directory(folder);
  CloseAction action = CloseAction::kHide;
  if (CloseHandler handler = on_close_) handler(action);
  if (action == CloseAction::kNone) return false;
  visible_ = false;
  released_ = action == CloseAction::kFree;
  ::ShowWindow(window_, SW_HIDE);
  return true;
}

bool Win32ShellForm::FormCloseQuery(CloseMode mode) {
  return mode == CloseMode::kDismiss || accept_file_name();
}

bool Win32ShellForm::accept_file_name() {
  std::optional<std::string> path = query_file_name(
      file_name_box_.text(),
      {.folder = [this] { return folder_list_.folder(); },
       .open_folder = [this](std::string_view folder) { return folder_list_.open(folder); },
       .set_filter = [this](std::string_view mask) { folder_list_.set_filter(mask); },
       .set_name_box = [this](std::string_view text) { file_name_box_.set_text(text); },
       .warn =
           [this](const std::string& text) {
             toolkit_.show_message(window_, text, title(), MessageKind::kWarning);
           },
       .file_must_exist = options_.file_must_exist});
  if (!path) return false;
  file_name_ = std::move(*path);
  return true;
}

void Win32ShellForm::select_file_type(int index) {
  file_types_.entry(index);  // std::out_of_range for an entry the list lacks
  toolkit_.dispatch([this, index] {
    file_types_.set_item_index(index);
    cbxFileTypesSelEndOk();
  });
}

bool Win32ShellForm::open_folder(std::string_view path) {
  bool opened = false;
  toolkit_.dispatch([&] { opened = folder_list_.open(path); });
  return opened;
}

void Win32ShellForm::type_file_name(std::string_view text) {
  toolkit_.dispatch([&] { file_name_box_.set_text(text); });
}

void Win32ShellForm::press_enter() {
  toolkit_.dispatch([this] { open_.press(); });
}

void Win32ShellForm::press_escape() {
  toolkit_.dispatch([this] { cancel_.press(); });
}

}  // namespace pharmex::platform
