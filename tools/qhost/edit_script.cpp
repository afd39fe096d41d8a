#include "edit_script.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string_view>

#include "options.h"

namespace qhost {
namespace {

struct KeyName {
  const char* name;
  int code;
};

constexpr KeyName kKeys[] = {{"escape", 0x1B}, {"enter", 0x0D}, {"return", 0x0D}, {"tab", 0x09},
                             {"left", 0x25},   {"up", 0x26},    {"right", 0x27},  {"down", 0x28},
                             {"delete", 0x2E}, {"backspace", 0x08}, {"space", 0x20}};

bool parseKey(const std::string& word, int& code) {
  for (const KeyName& k : kKeys)
    if (word == k.name) return code = k.code, true;
  if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0]))) {
    code = std::toupper(static_cast<unsigned char>(word[0]));  // letters and digits are their own codes
    return true;
  }
  return parseInt(word, code) && code >= 0 && code <= 255;
}

bool parseModifiers(const std::vector<std::string>& words, size_t from, ScriptEvent& e) {
  for (size_t i = from; i < words.size(); ++i) {
    if (words[i] == "shift")
      e.shift = true;
    else if (words[i] == "ctrl" || words[i] == "control")
      e.control = true;
    else if (words[i] == "alt")
      e.alt = true;
    else
      return false;
  }
  return true;
}

bool parseLine(const std::string& line, ScriptEvent& e, std::string& why) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.size() < 2 || !parseDouble(words[0], e.time) || e.time < 0) {
    why = "a line starts with a time in seconds and an action";
    return false;
  }
  const std::string& action = words[1];
  if (action == "down" || action == "move" || action == "up") {
    e.kind = action == "down" ? ScriptEvent::Kind::Down : action == "up" ? ScriptEvent::Kind::Up : ScriptEvent::Kind::Move;
    if (words.size() < 4 || !parseInt(words[2], e.x) || !parseInt(words[3], e.y) || e.x < -32768 || e.x > 32767 ||
        e.y < -32768 || e.y > 32767 || !parseModifiers(words, 4, e)) {
      why = action + " needs X Y and optional shift, ctrl, alt";
      return false;
    }
    return true;
  }
  if (action == "key") {
    e.kind = ScriptEvent::Kind::Key;
    if (words.size() < 3 || !parseKey(words[2], e.code) || !parseModifiers(words, 3, e)) {
      why = "key needs a key name or code 0..255";
      return false;
    }
    return true;
  }
  if (action == "text") {
    e.kind = ScriptEvent::Kind::Text;
    const size_t at = line.find("text");
    e.text = at + 5 <= line.size() ? line.substr(at + 5) : "";
    return true;
  }
  if (action == "menu") {
    e.kind = ScriptEvent::Kind::Menu;
    if (words.size() != 3 || !parseInt(words[2], e.code) || e.code < 0) {
      why = "menu needs an item id 0 or more";
      return false;
    }
    return true;
  }
  why = "unknown action " + action;
  return false;
}

}  // namespace

bool parseScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
  events.clear();
  std::string line;
  int number = 0;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    ++number;
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    ScriptEvent e;
    std::string why;
    if (!parseLine(line.substr(first), e, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    events.push_back(e);
  }
  std::stable_sort(events.begin(), events.end(), [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
  return true;
}

}  // namespace qhost
