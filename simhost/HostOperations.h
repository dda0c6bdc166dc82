#pragma once

#include <array>
#include <string_view>

namespace quillet::simhost {

/// Every operation of the stand-in host that can be made to fail, by the name
/// that a scenario's "fail" step gives it.
inline constexpr std::array<std::string_view, 47> kHostOperations = {
    "Application.publication", "Application.toolbars",     "Application.query",       "Publication.pages",
    "Publication.selection",   "Publication.stories",      "Publication.view",        "PageCollection.item",
    "PageCollection.count",    "Page.number",              "PublicationView.page",    "PublicationView.setPage",
    "StoryCollection.item",    "StoryCollection.count",    "Story.text",              "TextSpan.text",
    "TextSpan.setText",        "TextSpan.span",            "TextSpan.select",         "TextSpan.start",
    "TextSpan.story",          "PublicationSelection.text",
    "ToolbarCollection.item",  "ToolbarCollection.add",    "Toolbar.controls",        "Toolbar.delete",
    "Toolbar.setEnabled",      "Toolbar.setName",          "Toolbar.setVisible",      "ToolbarControls.add",
    "ToolbarControls.item",    "ToolbarControl.setCaption", "ToolbarControl.setEnabled", "ToolbarControl.setVisible",
    "ToolbarButton.query",     "ToolbarButton.setIcon",    "Application.screenUpdating", "Publication.beginUndo",
    "Publication.endUndo",     "Page.index",               "Page.shapes",             "ShapeCollection.count",
    "ShapeCollection.item",    "Shape.hasTextFrame",       "Shape.textFrame",         "TextFrame.textRange",
    "window.topmost",
};

}  // namespace quillet::simhost
