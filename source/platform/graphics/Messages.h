// The messages a control's window procedure receives: the record itself, the message numbers,
// the packing of points, keys and shift states into its parameters, and the virtual-key codes.
// The window system translates its own events into these, so nothing above the platform layer
// sees a toolkit event; controls also send and post them to each other.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/core/Object.h"
#include "platform/graphics/GraphicsTypes.h"

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

/// One message. `Record` is an object that travels with a posted message: the message owns it,
/// so it is freed with the message unless the handler takes it (std::move) — whether the
/// target is gone, ignores the message or handles it.
struct TMessage {
  uint32_t Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  std::unique_ptr<TObject> Record;
};

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;       // LParam: client width | height << 16
constexpr uint32_t WM_ACTIVATE = 0x0006;   // WParam: WA_INACTIVE or WA_ACTIVE
constexpr uint32_t WM_SETFOCUS = 0x0007;   // WParam: the control that lost the focus, or 0
constexpr uint32_t WM_KILLFOCUS = 0x0008;  // WParam: the control that gets the focus, or 0
constexpr uint32_t WM_SETREDRAW = 0x000B;  // WParam: 0 stops drawing, 1 resumes it
constexpr uint32_t WM_PAINT = 0x000F;      // LParam: the TRect* to paint (client coordinates)
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;  // LParam: screen point, (-1, -1) from the keyboard
constexpr uint32_t WM_NCPAINT = 0x0085;
constexpr uint32_t WM_GETDLGCODE = 0x0087;  // Result: DLGC_* flags
// Mouse input in a custom control's non-client band. WParam: MK_* flags; LParam: window point
// (the window's top-left corner, border included, is (0, 0)).
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_NCLBUTTONUP = 0x00A2;
constexpr uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr uint32_t WM_KEYDOWN = 0x0100;  // WParam: virtual key; LParam: key data (below)
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;        // WParam: the UTF-16 code unit typed
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;  // a key pressed with Alt
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
constexpr uint32_t WM_TIMER = 0x0113;    // WParam: timer id
constexpr uint32_t WM_HSCROLL = 0x0114;  // WParam: SB_* code | 16-bit position << 16
constexpr uint32_t WM_VSCROLL = 0x0115;
constexpr uint32_t WM_CHANGEUISTATE = 0x0127;  // WParam: UIS_* action | UISF_* flags << 16
constexpr uint32_t WM_UPDATEUISTATE = 0x0128;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;  // WParam: MK_* flags; LParam: client point
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;  // WParam: MK_* | signed delta << 16; LParam: screen point
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_NCMOUSELEAVE = 0x02A2;  // the pointer left the non-client band
constexpr uint32_t WM_CUT = 0x0300;
constexpr uint32_t WM_COPY = 0x0301;
constexpr uint32_t WM_PASTE = 0x0302;
constexpr uint32_t WM_CLEAR = 0x0303;
constexpr uint32_t WM_UNDO = 0x0304;
constexpr uint32_t WM_THEMECHANGED = 0x031A;
constexpr uint32_t WM_USER = 0x0400;

// Control messages of the class library.
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 9;
constexpr uint32_t CM_CTL3DCHANGED = CM_BASE + 15;  // the control's Ctl3D changed
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 24;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 25;  // WParam: virtual key; LParam: key data
constexpr uint32_t CM_RELEASE = CM_BASE + 33;    // a form or control asked to free itself
constexpr uint32_t CM_RECREATEWND = CM_BASE + 51;

// Mouse-message key flags (WParam of the mouse messages).
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;
constexpr uint32_t MK_ALT = 0x0020;  // ours: the mouse messages carry the Alt key as well

// Key data (LParam of the key messages): repeat count in the low word; these bits above it.
constexpr uint32_t KF_SHIFT = 1u << 25;    // ours: Shift was held
constexpr uint32_t KF_CONTROL = 1u << 26;  // ours: Ctrl was held
constexpr uint32_t KF_ALTDOWN = 1u << 29;
constexpr uint32_t KF_REPEAT = 1u << 30;
constexpr uint32_t KF_UP = 1u << 31;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;

// WM_ACTIVATE states.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// WM_CHANGEUISTATE actions and flags.
constexpr uint32_t UIS_SET = 1;
constexpr uint32_t UIS_CLEAR = 2;
constexpr uint32_t UIS_INITIALIZE = 3;
constexpr uint32_t UISF_HIDEFOCUS = 0x1;
constexpr uint32_t UISF_HIDEACCEL = 0x2;

// Scroll bars: which bar, scroll codes, SetScrollInfo masks, EnableScrollBar arrows.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_BOTH = 3;
constexpr uint32_t SB_LINEUP = 0;
constexpr uint32_t SB_LINELEFT = 0;
constexpr uint32_t SB_LINEDOWN = 1;
constexpr uint32_t SB_LINERIGHT = 1;
constexpr uint32_t SB_PAGEUP = 2;
constexpr uint32_t SB_PAGELEFT = 2;
constexpr uint32_t SB_PAGEDOWN = 3;
constexpr uint32_t SB_PAGERIGHT = 3;
constexpr uint32_t SB_THUMBPOSITION = 4;
constexpr uint32_t SB_THUMBTRACK = 5;
constexpr uint32_t SB_TOP = 6;
constexpr uint32_t SB_LEFT = 6;
constexpr uint32_t SB_BOTTOM = 7;
constexpr uint32_t SB_RIGHT = 7;
constexpr uint32_t SB_ENDSCROLL = 8;
constexpr uint32_t SIF_RANGE = 0x01;
constexpr uint32_t SIF_PAGE = 0x02;
constexpr uint32_t SIF_POS = 0x04;
constexpr uint32_t SIF_DISABLENOSCROLL = 0x08;
constexpr uint32_t SIF_TRACKPOS = 0x10;
constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr uint32_t ESB_ENABLE_BOTH = 0;
constexpr uint32_t ESB_DISABLE_BOTH = 3;

/// The state of one scroll bar (SetScrollInfo, GetScrollInfo).
struct TScrollInfo {
  uint32_t cbSize = 28;
  uint32_t fMask = 0;
  int32_t nMin = 0;
  int32_t nMax = 0;
  uint32_t nPage = 0;
  int32_t nPos = 0;
  int32_t nTrackPos = 0;
};

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr uint16_t VK_LBUTTON = 0x01;
constexpr uint16_t VK_RBUTTON = 0x02;
constexpr uint16_t VK_CANCEL = 0x03;
constexpr uint16_t VK_MBUTTON = 0x04;
constexpr uint16_t VK_BACK = 0x08;
constexpr uint16_t VK_TAB = 0x09;
constexpr uint16_t VK_CLEAR = 0x0C;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_SHIFT = 0x10;
constexpr uint16_t VK_CONTROL = 0x11;
constexpr uint16_t VK_MENU = 0x12;  // Alt
constexpr uint16_t VK_PAUSE = 0x13;
constexpr uint16_t VK_CAPITAL = 0x14;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_PRIOR = 0x21;  // Page Up
constexpr uint16_t VK_NEXT = 0x22;   // Page Down
constexpr uint16_t VK_END = 0x23;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_LEFT = 0x25;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_RIGHT = 0x27;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_SNAPSHOT = 0x2C;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_HELP = 0x2F;
constexpr uint16_t VK_LWIN = 0x5B;
constexpr uint16_t VK_RWIN = 0x5C;
constexpr uint16_t VK_APPS = 0x5D;
constexpr uint16_t VK_NUMPAD0 = 0x60;  // to VK_NUMPAD9 = 0x69
constexpr uint16_t VK_MULTIPLY = 0x6A;
constexpr uint16_t VK_ADD = 0x6B;
constexpr uint16_t VK_SEPARATOR = 0x6C;
constexpr uint16_t VK_SUBTRACT = 0x6D;
constexpr uint16_t VK_DECIMAL = 0x6E;
constexpr uint16_t VK_DIVIDE = 0x6F;
constexpr uint16_t VK_F1 = 0x70;  // to VK_F24 = 0x87
constexpr uint16_t VK_NUMLOCK = 0x90;
constexpr uint16_t VK_SCROLL = 0x91;
constexpr uint16_t VK_OEM_1 = 0xBA;       // ;:
constexpr uint16_t VK_OEM_PLUS = 0xBB;    // =+
constexpr uint16_t VK_OEM_COMMA = 0xBC;   // ,<
constexpr uint16_t VK_OEM_MINUS = 0xBD;   // -_
constexpr uint16_t VK_OEM_PERIOD = 0xBE;  // .>
constexpr uint16_t VK_OEM_2 = 0xBF;       // /?
constexpr uint16_t VK_OEM_3 = 0xC0;       // `~
constexpr uint16_t VK_OEM_4 = 0xDB;       // [{
constexpr uint16_t VK_OEM_5 = 0xDC;       // \|
constexpr uint16_t VK_OEM_6 = 0xDD;       // ]}
constexpr uint16_t VK_OEM_7 = 0xDE;       // '"

/// Keyboard and mouse-button state at an input event: a bit set of the masks below.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

/// Packs a point into a message parameter: signed 16-bit x in the low word, y in the high word.
inline LPARAM PointToLParam(TPoint p) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(p.X)) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(p.Y)) << 16));
}
inline TPoint LParamToPoint(LPARAM l) {
  return TPoint{static_cast<int16_t>(l & 0xFFFF), static_cast<int16_t>((l >> 16) & 0xFFFF)};
}
inline LPARAM MakeLParam(uint32_t low, uint32_t high) {
  return static_cast<LPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
inline uint32_t LoWord(uintptr_t v) {
  return static_cast<uint32_t>(v & 0xFFFF);
}
inline uint32_t HiWord(uintptr_t v) {
  return static_cast<uint32_t>((v >> 16) & 0xFFFF);
}

/// The shift state of a mouse message's key flags (MK_*).
TShiftState MouseFlagsToShiftState(WPARAM flags);
/// The MK_* flags of a shift state (ssDouble has none).
WPARAM ShiftStateToMouseFlags(TShiftState shift);
/// The shift state of a key message's key data (KF_*).
TShiftState KeyDataToShiftState(LPARAM keyData);
/// Key data carrying the Shift, Ctrl and Alt of `shift`, repeat count 1.
LPARAM ShiftStateToKeyData(TShiftState shift);
