// formshot: builds a layout description on the headless display, replays scripted input
// and virtual-clock ticks, and captures the form's client area.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/display/Display.h"

namespace kx::formshot {

struct Step {
  enum class Kind { Ticks, Type, Key, Click, Focus };
  Kind kind = Kind::Ticks;
  int count = 0;        // Ticks: number of 10 ms ticks
  std::u16string text;  // Type
  std::string name;     // Key: key name ("Tab", "Shift+Tab", "A"); Focus: component name
  int x = 0, y = 0;     // Click: client coordinates
};

struct Options {
  std::string layoutPath;
  std::string outPath;
  std::vector<Step> steps;
};

// Parses "LAYOUT OUT.png [--ticks N] [--type TEXT] [--key NAME] [--click X,Y]
// [--focus NAME]..."; args excludes the program name. False with a message on a bad
// argument.
bool ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error);

// Parses the script part only (the arguments after LAYOUT and OUT.png).
bool ParseScript(const std::vector<std::string>& args, std::vector<Step>* steps,
                 std::string* error);

// A key name: a virtual key with modifiers (kx::headless::kShift ...). False when unknown.
bool ParseKeyName(std::string_view name, unsigned* vk, unsigned* shift);

// Registers every class this program knows (framework, controls, busy animation).
void RegisterKnownClasses();

// Loads `layout` into a new root form on the headless display (started if needed), shows
// it, runs the steps and captures the client area. The form is destroyed afterwards.
bool Render(std::string_view layout, const std::vector<Step>& steps, Image* image,
            std::string* error);

// The whole tool: reads the layout file, renders it and writes the PNG. Returns the exit
// code (0 on success) and the message for a failure.
int Run(const Options& options, std::string* error);

}  // namespace kx::formshot
