// Layout descriptions: the indented text form of a component tree and its properties.
//
//   object Form1: TForm1
//     Caption = 'Vollversion registrieren'
//     Font.Height = -13
//     Anchors = [akLeft, akTop, akRight]
//     OnCreate = FormCreate
//     object FlatEdit1: TFlatEdit
//       BorderColorFace = clWhite
//     end
//   end
//
// Values: strings in single quotes with '' for a quote and #NNN for a UTF-16 code unit
// outside printable ASCII, runs joined without space ('f'#252'r'), and a trailing "+"
// continuing the string on the next line; integers in decimal (or $hex); colours and
// symbolic integers by name or number; enumerations and booleans by name; sets in
// brackets; floats with a decimal point (floats are written as 80-bit extended numbers,
// 18 decimals); nested objects by dotted names; events by the name of a method in the
// root's method table; component references by the name of a component of the root.
// Children are nested object blocks in creation order. Indentation is two spaces and is
// not significant when reading. The text is UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "framework/Classes.h"

struct TLayoutError {
  int line = 0;  // 1-based line of the fault; 0 when it concerns the whole text
  std::string message;
};

// Reads a layout description into the existing `root`; the outermost object's class must
// be the root's class, and its name becomes the root's name. Children are created through
// the class registry with the root as their owner, then named, then placed with
// SetParentComponent(enclosing component) before their properties are read. Events are
// bound through the root's method table, component references resolved among the root's
// components once everything is read. While it reads, the root and every new component
// carry csLoading and csReading; at the end both are cleared and Loaded() runs on the root
// and then on each new component in creation order.
//
// A malformed description, an unknown class, property, element or method, a value of the
// wrong kind or out of range, or a taken name is refused: the function returns false,
// *err (if given) names the line, every component created by the read is deleted, and
// Loaded() is not called. Properties already assigned to the root keep their new values.
bool ReadComponentText(std::string_view text, TComponent* root, TLayoutError* err);

// Writes `root` with its stored properties and the components it owns, each nested in the
// block of its GetParentComponent() (or the root's), in creation order.
std::string WriteComponentText(const TComponent* root);

// Property streaming of one persistent object: a single object block without children,
//   object <name>: <ClassName>
//     Color = clRed
//   end
// ReadObjectText requires the block's class to be the object's class and assigns its
// properties; events bind through the object's own method table when it is a component
// (with csLoading set while reading and Loaded() afterwards). On failure, properties
// already assigned keep their new values.
std::string WriteObjectText(const TPersistent* object, const std::string& name);
bool ReadObjectText(std::string_view text, TPersistent* object, TLayoutError* err);

// The text form of one property value of `object` (as it would be written), and the
// assignment of one value from its text form; for tools and tests. The path may be
// dotted ("Font.Name"). Events and references cannot be read this way.
bool WritePropertyValue(const TPersistent* object, std::string_view propertyPath,
                        std::string* valueText);
bool ReadPropertyValue(TPersistent* object, std::string_view propertyPath,
                       std::string_view valueText, TLayoutError* err);
