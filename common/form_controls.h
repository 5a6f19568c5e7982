#pragma once

namespace common {

// What a control of a settings window is. Each window's layout table names its controls'
// kinds with these; the screen side creates each kind its one way for both windows.
enum class ControlKind {
  Label,
  PushButton,
  ColumnHeading,  // a button over a list's column that does nothing
  List,
  DropDownList,  // a combo box whose list is picked from, never typed into
  GroupFrame,
  OptionButton,
};

}  // namespace common
