#pragma once

#include <windows.h>

namespace quillet::com {

/// A role in which the add-in meets one of the host's objects: the interface
/// that it asks the object for, and the name under which messages mention
/// it. Whatever pointer comes back is only ever called as an IDispatch: the
/// host publishes its members by name, never a layout past IDispatch.
struct Role {
    const wchar_t* name;
    IID iid;
};

namespace roles {

/// The interfaces of Microsoft's own objects end in C000-000000000046.
constexpr IID ole(unsigned long first) {
    return {first, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}

inline constexpr Role kApplication{L"Application", ole(0x0002123E)};
inline constexpr Role kPublication{L"Publication", ole(0x00021242)};
inline constexpr Role kPageCollection{L"PageCollection", ole(0x00021248)};
inline constexpr Role kPage{L"Page", ole(0x00021246)};
inline constexpr Role kPublicationView{
    L"PublicationView", {0x39051BAC, 0x5CA7, 0x11D3, {0xB6, 0x5F, 0x00, 0xC0, 0x4F, 0x8E, 0xF3, 0x2D}}};
inline constexpr Role kStoryCollection{
    L"StoryCollection", {0x37B3B0B3, 0x44B5, 0x11D3, {0xB6, 0x5B, 0x00, 0xC0, 0x4F, 0x8E, 0xF3, 0x2D}}};
inline constexpr Role kStory{L"Story", {0x37B3B0B2, 0x44B5, 0x11D3, {0xB6, 0x5B, 0x00, 0xC0, 0x4F, 0x8E, 0xF3, 0x2D}}};
inline constexpr Role kTextSpan{L"TextSpan", ole(0x0002124A)};
// A page's shapes and their text frames. Their type library gives the add-in
// no interface identifiers for them, and every automation object answers
// IDispatch, the only way that the add-in ever calls them.
inline constexpr Role kShapeCollection{L"ShapeCollection", ole(0x00020400)};
inline constexpr Role kShape{L"Shape", ole(0x00020400)};
inline constexpr Role kTextFrame{L"TextFrame", ole(0x00020400)};
inline constexpr Role kPublicationSelection{
    L"PublicationSelection", {0x8B9CAA7B, 0xDEFA, 0x11D2, {0x8C, 0x78, 0x00, 0xC0, 0x4F, 0x8E, 0xF3, 0x40}}};

inline constexpr Role kToolbarCollection{L"ToolbarCollection", ole(0x000C0302)};
inline constexpr Role kToolbar{L"Toolbar", ole(0x000C0304)};
inline constexpr Role kToolbarControls{L"ToolbarControls", ole(0x000C0306)};
inline constexpr Role kToolbarControl{L"ToolbarControl", ole(0x000C0308)};
inline constexpr Role kToolbarButton{L"ToolbarButton", ole(0x000C030E)};

}  // namespace roles

/// The host application's class: while the host runs, creating it reaches
/// the running host's application.
inline constexpr CLSID kHostApplicationClass = roles::ole(0x0002123D);

/// A button's events, a pure dispinterface: Click is its member 1.
inline constexpr IID kButtonEvents = roles::ole(0x000C0351);
inline constexpr DISPID kClickId = 1;

}  // namespace quillet::com
