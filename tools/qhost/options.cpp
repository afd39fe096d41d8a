#include "options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace qhost {

// Numbers are parsed without regard to the C locale.
bool parseInt(std::string_view text, int& out) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end;
}

bool parseDouble(std::string_view text, double& out) {
  if (text.empty()) return false;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(begin, end, out, std::chars_format::general);
  return ec == std::errc() && p == end && std::isfinite(out);
}

namespace {

std::vector<std::string_view> splitOn(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return parts;
}

bool inRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool parseNote(std::string_view text, NoteSpec& note) {
  const auto parts = splitOn(text, ':');
  if (parts.size() != 3 && parts.size() != 4) return false;
  if (!parseInt(parts[0], note.key) || !inRange(note.key, 0, 127)) return false;
  if (!parseDouble(parts[1], note.start) || note.start < 0) return false;
  if (!parseDouble(parts[2], note.length) || note.length < 0) return false;
  note.velocity = 100;
  if (parts.size() == 4 && (!parseInt(parts[3], note.velocity) || !inRange(note.velocity, 1, 127)))
    return false;
  return true;
}

bool parseController(std::string_view text, ControllerSpec& cc) {
  const auto parts = splitOn(text, ':');
  return parts.size() == 4 && parseInt(parts[0], cc.channel) && inRange(cc.channel, 1, 16) &&
         parseInt(parts[1], cc.controller) && inRange(cc.controller, 0, 127) &&
         parseInt(parts[2], cc.value) && inRange(cc.value, 0, 127) &&
         parseDouble(parts[3], cc.time) && cc.time >= 0;
}

bool parseProgram(std::string_view text, ProgramSpec& program) {
  const auto parts = splitOn(text, ':');
  return parts.size() == 2 && parseInt(parts[0], program.program) &&
         inRange(program.program, 0, 127) && parseDouble(parts[1], program.time) &&
         program.time >= 0;
}

bool parseParam(std::string_view text, ParamSpec& param) {
  const auto parts = splitOn(text, '=');
  double value = 0;
  if (parts.size() != 2 || !parseInt(parts[0], param.index) || param.index < 0 ||
      !parseDouble(parts[1], value) || value < 0 || value > 1)
    return false;
  param.value = static_cast<float>(value);
  return true;
}

bool parseInfo(int argc, char** argv, InfoOptions& info, std::string& error) {
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--params") {
      info.params = true;
    } else if (!arg.starts_with("--") && info.plugin.empty()) {
      info.plugin = argv[i];
    } else {
      error = "unknown argument for info: " + std::string(arg);
      return false;
    }
  }
  if (info.plugin.empty()) {
    error = "info needs a plug-in library";
    return false;
  }
  return true;
}

bool parseRender(int argc, char** argv, RenderOptions& render, std::string& error, const char* command = "render") {
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!arg.starts_with("--")) {
      if (!render.plugin.empty()) {
        error = "more than one plug-in library given: " + std::string(arg);
        return false;
      }
      render.plugin = argv[i];
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + std::string(arg);
      return false;
    }
    const std::string_view value = argv[++i];
    bool ok = true;
    if (arg == "--out") {
      render.out = value;
    } else if (arg == "--input") {
      render.input = value;
    } else if (arg == "--chunk-in") {
      render.chunkIn = value;
    } else if (arg == "--chunk-out") {
      render.chunkOut = value;
    } else if (arg == "--seconds") {
      ok = parseDouble(value, render.seconds) && render.seconds > 0 && render.seconds <= 3600;
      render.secondsGiven = true;
    } else if (arg == "--rate") {
      ok = parseDouble(value, render.rate) && render.rate >= 8000 && render.rate <= 384000;
      render.rateGiven = true;
    } else if (arg == "--block") {
      ok = parseInt(value, render.block) && inRange(render.block, 1, 65536);
    } else if (arg == "--note") {
      ok = parseNote(value, render.notes.emplace_back());
    } else if (arg == "--cc") {
      ok = parseController(value, render.controllers.emplace_back());
    } else if (arg == "--program") {
      ok = parseProgram(value, render.programs.emplace_back());
    } else if (arg == "--param") {
      ok = parseParam(value, render.params.emplace_back());
    } else {
      error = "unknown option for " + std::string(command) + ": " + std::string(arg);
      return false;
    }
    if (!ok) {
      error = "bad value for " + std::string(arg) + ": " + std::string(value);
      return false;
    }
  }
  if (render.plugin.empty()) {
    error = std::string(command) + " needs a plug-in library";
    return false;
  }
  return true;
}

// The edit-only options first; the rest are render's, less the files render writes or reads
// as audio.
bool parseEdit(int argc, char** argv, EditOptions& edit, std::string& error) {
  std::vector<char*> rest{argv[0], argv[1]};
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--out" || arg == "--chunk-out" || arg == "--input" || arg == "--block") {
      error = std::string(arg) + " is not an option of edit";
      return false;
    }
    if (arg != "--events" && arg != "--screenshot" && arg != "--cycles" && arg != "--levels") {
      rest.push_back(argv[i]);
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + std::string(arg);
      return false;
    }
    const std::string_view value = argv[++i];
    if (arg == "--events") {
      edit.events = value;
    } else if (arg == "--screenshot") {
      edit.screenshot = value;
    } else if (arg == "--levels") {
      if (!parseDouble(value, edit.levelStep) || !(edit.levelStep >= 0.01 && edit.levelStep <= 60)) {
        error = "bad value for --levels: " + std::string(value);
        return false;
      }
    } else if (!parseInt(value, edit.cycles) || !inRange(edit.cycles, 0, 1000)) {
      error = "bad value for --cycles: " + std::string(value);
      return false;
    }
  }
  edit.audio.seconds = 1.0;
  edit.audio.block = 256;
  return parseRender(static_cast<int>(rest.size()), rest.data(), edit.audio, error, "edit");
}

bool parseValidate(int argc, char** argv, ValidateOptions& validate, std::string& error) {
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--level") {
      if (i + 1 >= argc || !parseInt(argv[i + 1], validate.level) || !inRange(validate.level, 1, 3)) {
        error = "--level needs 1, 2 or 3";
        return false;
      }
      ++i;
    } else if (!arg.starts_with("--") && validate.plugin.empty()) {
      validate.plugin = argv[i];
    } else {
      error = "unknown argument for validate: " + std::string(arg);
      return false;
    }
  }
  if (validate.plugin.empty()) {
    error = "validate needs a plug-in library";
    return false;
  }
  return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
  if (argc < 2) {
    options.command = Command::Help;
    return true;
  }
  const std::string_view command = argv[1];
  if (command == "help" || command == "--help" || command == "-h") {
    options.command = Command::Help;
    return true;
  }
  if (command == "info") {
    options.command = Command::Info;
    return parseInfo(argc, argv, options.info, error);
  }
  if (command == "render") {
    options.command = Command::Render;
    return parseRender(argc, argv, options.render, error);
  }
  if (command == "edit") {
    options.command = Command::Edit;
    return parseEdit(argc, argv, options.edit, error);
  }
  if (command == "validate") {
    options.command = Command::Validate;
    return parseValidate(argc, argv, options.validate, error);
  }
  error = "unknown command: " + std::string(command);
  return false;
}

const char* usageText() {
  return "usage:\n"
         "  qhost info PLUGIN [--params]\n"
         "  qhost render PLUGIN [--out FILE.wav] [--seconds S] [--rate R] [--block N]\n"
         "               [--note KEY:START:LENGTH[:VELOCITY]]... [--cc CHANNEL:CONTROLLER:VALUE:TIME]...\n"
         "               [--program N:TIME]... [--param INDEX=VALUE]...\n"
         "               [--chunk-in F] [--chunk-out F] [--input FILE.wav]\n"
         "  qhost edit PLUGIN [--seconds S] [--rate R] [--chunk-in F] [--param INDEX=VALUE]...\n"
         "             [--note KEY:START:LENGTH[:VELOCITY]]... [--cc CHANNEL:CONTROLLER:VALUE:TIME]...\n"
         "             [--events FILE] [--screenshot OUT.png] [--cycles N] [--levels STEP]\n"
         "  qhost validate PLUGIN [--level 1|2|3]\n"
         "times and lengths are in seconds; KEY 0..127, VELOCITY 1..127 (default 100);\n"
         "CHANNEL 1..16; --program sends a MIDI program change 0..127 on channel 1;\n"
         "--param sets a normalised value 0..1 before rendering.\n"
         "defaults: --seconds 2 (the input's length with --input), --rate 44100 (the input's\n"
         "rate with --input), --block 512.\n"
         "edit opens the editor while an audio thread plays at real-time pace, sends effEditIdle\n"
         "about every 15 ms and plays the event script, lines of TIME then one of: down X Y [shift]\n"
         "[ctrl] [alt], move X Y, up X Y, key NAME|CODE, text CHARACTERS, menu ID; default\n"
         "--seconds 1; --cycles opens and closes the editor N times first; --levels prints the\n"
         "left output's RMS and rising zero crossings per second for each STEP seconds.\n"
         "validate runs host-conformance checks, one PASS/FAIL/SKIP line each, and exits 1 on\n"
         "any failure; --level scales their counts and durations (default 2).\n";
}

}  // namespace qhost
