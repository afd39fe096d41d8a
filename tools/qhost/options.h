// Command line of qhost: the two commands and their options, parsed into plain records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qhost {

struct NoteSpec {
  int key = 60;
  double start = 0;   // seconds
  double length = 0;  // seconds
  int velocity = 100;
};

struct ControllerSpec {
  int channel = 1;  // 1..16
  int controller = 0;
  int value = 0;
  double time = 0;  // seconds
};

struct ProgramSpec {
  int program = 0;
  double time = 0;  // seconds
};

struct ParamSpec {
  int index = 0;
  float value = 0;  // normalised 0..1
};

struct InfoOptions {
  std::string plugin;
  bool params = false;
};

struct RenderOptions {
  std::string plugin;
  std::string out;
  std::string input;
  std::string chunkIn;
  std::string chunkOut;
  double seconds = 2.0;
  bool secondsGiven = false;
  double rate = 44100.0;
  bool rateGiven = false;
  int block = 512;
  std::vector<NoteSpec> notes;
  std::vector<ControllerSpec> controllers;
  std::vector<ProgramSpec> programs;
  std::vector<ParamSpec> params;
};

// `edit`: the render options drive the audio thread (no files out); the event script plays
// on the editor, a screenshot is taken at the end; the editor opens and closes `cycles`
// extra times first.
struct EditOptions {
  RenderOptions audio;
  std::string events;
  std::string screenshot;
  int cycles = 0;
  double levelStep = 0;  // > 0: the output's level printed for each step of this many seconds
};

struct ValidateOptions {
  std::string plugin;
  int level = 2;  // 1..3: scales the counts and durations of the checks
};

enum class Command { Help, Info, Render, Edit, Validate };

struct Options {
  Command command = Command::Help;
  InfoOptions info;
  RenderOptions render;
  EditOptions edit;
  ValidateOptions validate;
};

// Whole-text numbers, parsed without regard to the C locale.
bool parseInt(std::string_view text, int& out);
bool parseDouble(std::string_view text, double& out);

// Parses argv. False with a message in `error` for anything unknown or out of range.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

// The usage text printed by `qhost` without arguments and after an error.
const char* usageText();

}  // namespace qhost
