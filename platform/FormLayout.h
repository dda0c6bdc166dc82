#pragma once

#include <span>
#include <string_view>

namespace quillet {

enum class ControlKind { Label, TextBox, CheckBox, Button, RichText, List };

/// One column of a list control. A column of width 0 is never shown: it
/// holds what the rows stand for, for whoever reads the list by its columns.
struct ListColumn {
    std::string_view name;
    std::u16string_view caption;
    int width;  // twips; 0: not shown
    /// The part of this column's text that ListRows::setApart names is drawn
    /// so that the eye finds it.
    bool setsApart = false;
};

/// One control of a dialog, placed in twips from the client area's top left.
struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    std::u16string_view caption;  // a caption, or a text box's first text
    int left, top, width, height;
    int tabIndex;
    bool isDefault = false;  // Enter presses it
    bool isCancel = false;   // Esc presses it
    bool visible = true;
    /// A list's columns, in order, and whether its rows have check boxes.
    std::span<const ListColumn> columns = {};
    bool checkBoxes = false;

    const ListColumn* column(std::string_view columnName) const {
        for (const ListColumn& entry : columns) {
            if (entry.name == columnName) return &entry;
        }
        return nullptr;
    }
};

enum class BorderStyle {
    FixedSingle,  // a fixed single border, a button on the taskbar
    FixedDialog,  // a fixed dialog frame
};

/// Everything a window realisation needs to build a dialog.
struct FormLayout {
    std::string_view name;
    std::u16string_view caption;
    BorderStyle border;
    bool showInTaskbar;
    int clientWidth, clientHeight;  // twips
    std::u16string_view fontName;   // empty: the platform's default dialog font
    double fontPoints;
    std::span<const ControlSpec> controls;

    const ControlSpec* control(std::string_view controlName) const {
        for (const ControlSpec& entry : controls) {
            if (entry.name == controlName) return &entry;
        }
        return nullptr;
    }
};

}  // namespace quillet
