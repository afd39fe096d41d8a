// Linux stand-in for the GUI services: bitmaps are cairo image surfaces (the premultiplied
// 32-bit layout of a Windows DIB section), drawing is cairo without smoothing, text is
// Liberation Sans through FreeType, and windows, menus, edit boxes and file dialogs are
// fakes that record what happens and answer from scripts (headless_gui.h).
#include <cairo-ft.h>
#include <cairo.h>
#include <dlfcn.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <thread>

#include "platform/gui.h"
#include "platform/headless_gui.h"

namespace platform {
namespace {

// --- colours and fonts -----------------------------------------------------------------

void setColour(cairo_t* cr, Colour c) {
  cairo_set_source_rgb(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0);
}

// Arial and Helvetica are metric twins of Liberation Sans; every face maps to it, loaded
// from the file itself so the machine's font configuration plays no part.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
};

struct FontFace {
  cairo_font_face_t* face = nullptr;
  double cellPerEm = 1.0;    // (Windows ascent + descent) / em
  double ascentPerEm = 1.0;  // Windows ascent / em
};

const FontFace& fontFace() {
  static const FontFace loaded = [] {
    FontFace f;
    static FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return f;
    FT_Face face = nullptr;
    for (const char* file : kFontFiles)
      if (FT_New_Face(library, file, 0, &face) == 0) break;
    if (!face) return f;
    const double em = face->units_per_EM;
    double ascent = face->ascender, descent = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
    f.cellPerEm = (ascent + descent) / em;
    f.ascentPerEm = ascent / em;
    f.face = cairo_ft_font_face_create_for_ft_face(face, 0);
    return f;
  }();
  return loaded;
}

// A plug-in that draws keeps the drawing libraries loaded once it is unloaded: their caches
// (cairo's fonts, pixman's start-up tables, FreeType's faces) would otherwise be lost with
// them, and cairo may still hold faces made here. Called before the first drawing.
void keepDrawingLibrariesLoaded() {
  static const bool kept = [] {
    for (const char* name : {"libcairo.so.2", "libpixman-1.so.0", "libfreetype.so.6", "libfontconfig.so.1"})
      if (void* handle = dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(handle);
    return true;
  }();
  (void)kept;
}

// --- bitmap and surface ----------------------------------------------------------------

class CairoBitmap final : public Bitmap {
 public:
  explicit CairoBitmap(cairo_surface_t* s) : surface_(s) {}
  ~CairoBitmap() override { cairo_surface_destroy(surface_); }
  int width() const override { return cairo_image_surface_get_width(surface_); }
  int height() const override { return cairo_image_surface_get_height(surface_); }
  std::uint8_t* row(int y) override {
    cairo_surface_flush(surface_);
    // Written through this pointer: cairo must not trust any copy of its own.
    cairo_surface_mark_dirty(surface_);
    return cairo_image_surface_get_data(surface_) +
           static_cast<std::size_t>(y) * cairo_image_surface_get_stride(surface_);
  }
  cairo_surface_t* surface() const { return surface_; }

 private:
  cairo_surface_t* surface_;
};

cairo_surface_t* surfaceOf(const Bitmap& b) { return static_cast<const CairoBitmap&>(b).surface(); }

// '&' marks the next character as underlined unless the format says no prefix; "&&" is one '&'.
std::string withoutPrefixes(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    else if (s[i] == '&') continue;
    out.push_back(s[i]);
  }
  return out;
}

class CairoSurface final : public Surface {
 public:
  explicit CairoSurface(Bitmap& target) : target_(target), cr_(cairo_create(surfaceOf(target))) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    options_ = cairo_font_options_create();
    cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr_, options_);
  }
  ~CairoSurface() override {
    cairo_font_options_destroy(options_);
    cairo_destroy(cr_);
  }
  Bitmap& target() override { return target_; }

  void fillRect(const Rect& r, Colour colour) override {
    if (r.isEmpty()) return;
    setColour(cr_, colour);
    cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
    cairo_fill(cr_);
  }

  void drawPolyline(const Point* points, std::size_t count, int width, Colour colour) override {
    if (count < 2) return;
    setColour(cr_, colour);
    cairo_set_line_width(cr_, std::max(width, 1));
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    // A pen's line runs through pixel centres.
    cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
    for (std::size_t i = 1; i < count; ++i) cairo_line_to(cr_, points[i].x + 0.5, points[i].y + 0.5);
    cairo_stroke(cr_);
  }

  void drawText(const std::string& s, const Rect& r, const Font& font, Colour colour,
                unsigned format) override {
    const FontFace& face = fontFace();
    if (!face.face || s.empty() || r.isEmpty() || font.height <= 0) return;
    const std::string shown = (format & text::kNoPrefix) ? s : withoutPrefixes(s);
    const double cell = font.height;
    cairo_save(cr_);
    cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
    cairo_clip(cr_);
    cairo_set_font_face(cr_, face.face);
    cairo_set_font_size(cr_, cell / face.cellPerEm);
    setColour(cr_, colour);
    const double ascent = std::round(cell * face.ascentPerEm / face.cellPerEm);
    std::vector<std::string> lines;
    if (format & text::kSingleLine) lines.push_back(singleLine(shown));
    else lines = wrapped(shown, (format & text::kWordBreak) ? r.w : -1);
    double top = r.y;
    if ((format & text::kSingleLine) && (format & text::kVCenter)) top = r.y + std::floor((r.h - cell) / 2);
    for (const std::string& line : lines) {
      const double w = advance(line);
      double x = r.x;
      if (format & text::kCenter) x = r.x + std::floor((r.w - w) / 2);
      else if (format & text::kRight) x = r.x + r.w - w;
      cairo_move_to(cr_, x, top + ascent);
      cairo_show_text(cr_, line.c_str());
      top += cell;
      if (top >= r.y + r.h) break;
    }
    cairo_restore(cr_);
  }

  void blend(const Bitmap& source, const Rect& from, const Rect& to, std::uint8_t alpha) override {
    if (from.isEmpty() || to.isEmpty() || &source == &target_) return;
    cairo_surface_t* src = surfaceOf(source);
    cairo_surface_mark_dirty(src);
    cairo_save(cr_);
    cairo_rectangle(cr_, to.x, to.y, to.w, to.h);
    cairo_clip(cr_);
    cairo_translate(cr_, to.x, to.y);
    cairo_scale(cr_, static_cast<double>(to.w) / from.w, static_cast<double>(to.h) / from.h);
    cairo_set_source_surface(cr_, src, -from.x, -from.y);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_NONE);
    cairo_paint_with_alpha(cr_, alpha / 255.0);
    cairo_restore(cr_);
  }

  void setClip(const Region& region) override {
    cairo_reset_clip(cr_);
    if (region.isEmpty()) {
      cairo_rectangle(cr_, 0, 0, 0, 0);
    } else {
      for (const Rect& r : region.rects()) cairo_rectangle(cr_, r.x, r.y, r.w, r.h);
    }
    cairo_clip(cr_);
  }

  void clearClip() override { cairo_reset_clip(cr_); }

 private:
  double advance(const std::string& line) {
    cairo_text_extents_t e;
    cairo_text_extents(cr_, line.c_str(), &e);
    return e.x_advance;
  }

  // One line: line breaks are not drawn.
  static std::string singleLine(const std::string& s) {
    std::string out;
    for (char c : s)
      if (c != '\r' && c != '\n') out.push_back(c);
    return out;
  }

  // Lines at line feeds (CR LF counts once) and, with a width, broken between words so that
  // each fits; a word wider than the width stands alone on its line.
  std::vector<std::string> wrapped(const std::string& s, int width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= s.size()) {
      std::size_t end = s.find('\n', start);
      if (end == std::string::npos) end = s.size();
      std::string para = s.substr(start, end - start);
      if (!para.empty() && para.back() == '\r') para.pop_back();
      if (width < 0) {
        lines.push_back(para);
      } else {
        std::string line;
        std::size_t i = 0;
        do {
          std::size_t j = para.find(' ', i);
          if (j == std::string::npos) j = para.size();
          const std::string word = para.substr(i, j - i);
          const std::string candidate = line.empty() ? word : line + " " + word;
          if (!line.empty() && advance(candidate) > width) {
            lines.push_back(line);
            line = word;
          } else {
            line = candidate;
          }
          i = j + 1;
        } while (i <= para.size());
        lines.push_back(line);
      }
      start = end + 1;
    }
    return lines;
  }

  Bitmap& target_;
  cairo_t* cr_;
  cairo_font_options_t* options_;
};

// --- process state of the fakes ----------------------------------------------------------

class HeadlessWindow;
class HeadlessEditBox;

struct State {
  KeyModifiers keys;                 // the keyboard state during an injected event
  const void* focus = nullptr;       // the window or edit box with the keyboard focus
  std::map<std::string, int> classes;  // registered window classes and their window counts
  std::vector<HeadlessWindow*> windows;
  std::vector<HeadlessEditBox*> editBoxes;
  int menus = 0;
  std::deque<int> menuAnswers;
  std::deque<std::string> fileAnswers;
  std::vector<headless::ShownMenu> shownMenus;
  std::vector<headless::ShownFileDialog> shownFileDialogs;
};

State& state() {
  static State s;
  return s;
}

// Sets the keyboard state for the length of one injected event.
class HeldKeys {
 public:
  explicit HeldKeys(const KeyModifiers& m) : saved_(state().keys) { state().keys = m; }
  ~HeldKeys() { state().keys = saved_; }

 private:
  KeyModifiers saved_;
};

Rect intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

// --- edit box ----------------------------------------------------------------------------

constexpr std::size_t kEditLimit = 1000;

// Characters the native field counts: a line feed is shown as CR LF, two characters.
std::size_t fieldLength(const std::string& s) {
  return s.size() + static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
}

class HeadlessEditBox final : public EditBox {
 public:
  HeadlessEditBox(HeadlessWindow* window, const std::string& text, const EditBoxOptions& options,
                  EditBoxListener* listener)
      : window_(window), text_(text), options_(options), listener_(listener) {
    state().editBoxes.push_back(this);
    selectAll();
    takeFocus();
  }
  ~HeadlessEditBox() override;

  std::string text() const override { return text_; }
  void setText(const std::string& s) override {
    text_ = s;
    selStart_ = selEnd_ = 0;
  }
  void selectAll() override {
    selStart_ = 0;
    selEnd_ = text_.size();
  }
  void takeFocus() override { state().focus = this; }

  HeadlessWindow* window() const { return window_; }
  void orphan() { window_ = nullptr; }

  // One keystroke. The listener may destroy this box: nothing here touches it afterwards.
  void typeChar(char c) {
    if (c == '\t') return listener_->onEditTab(state().keys.shift);
    if (c == '\r' || c == '\n') return listener_->onEditEnter();
    if (c == 27) return listener_->onEditEscape();
    if (c == 8) return erase();
    if (options_.digitsOnly && (c < '0' || c > '9')) return;
    replaceSelection(std::string(1, c));
  }

  bool specialKey(int vk) {
    if (vk == key::kTab) listener_->onEditTab(state().keys.shift);
    else if (vk == key::kEnter) listener_->onEditEnter();
    else if (vk == key::kEscape) listener_->onEditEscape();
    else if (vk == 8) erase();
    else return false;
    return true;
  }

  void paste(const std::string& s) {
    std::string clean;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
      const char c = s[i] == '\r' ? '\n' : s[i];
      if (c == '\n' && !options_.multiLine) break;  // one line takes the first line only
      if (options_.digitsOnly && (c < '0' || c > '9')) return;
      clean.push_back(c);
    }
    replaceSelection(clean);
  }

 private:
  void erase() {
    if (selStart_ == selEnd_ && selStart_ > 0) --selStart_;
    replaceSelection("");
  }

  void replaceSelection(std::string insert) {
    const std::string before = text_;
    const std::size_t kept = fieldLength(text_) - fieldLength(text_.substr(selStart_, selEnd_ - selStart_));
    while (!insert.empty() && kept + fieldLength(insert) > kEditLimit) insert.pop_back();
    if (insert.empty() && selStart_ == selEnd_) return;
    const std::size_t caret = selStart_ + insert.size();
    text_ = text_.substr(0, selStart_) + insert + text_.substr(selEnd_);
    const std::size_t oldStart = selStart_, oldEnd = selEnd_;
    selStart_ = selEnd_ = caret;
    if (!listener_->acceptEditText(text_)) {
      text_ = before;
      selStart_ = oldStart;
      selEnd_ = oldEnd;
    }
  }

  HeadlessWindow* window_;
  std::string text_;
  std::size_t selStart_ = 0, selEnd_ = 0;
  EditBoxOptions options_;
  EditBoxListener* listener_;
};

HeadlessEditBox* focusedEditBox(const HeadlessWindow* window) {
  for (HeadlessEditBox* box : state().editBoxes)
    if (state().focus == box && box->window() == window) return box;
  return nullptr;
}

// --- window ------------------------------------------------------------------------------

class HeadlessWindow final : public Window, public headless::WindowDriver, private PaintTarget {
 public:
  HeadlessWindow(headless::HostWindow* host, const WindowOptions& options, std::unique_ptr<Bitmap> screen)
      : host_(host), className_(options.className), screen_(std::move(screen)) {
    ++state().classes[className_];
    state().windows.push_back(this);
    const Rect all{0, 0, screen_->width(), screen_->height()};
    auto surface = Surface::create(*screen_);
    surface->fillRect(all, 0x000000);
    if (host_) host_->child = this;
  }

  ~HeadlessWindow() override {
    State& s = state();
    for (HeadlessEditBox* box : s.editBoxes)
      if (box->window() == this) box->orphan();
    if (s.focus == this) s.focus = nullptr;
    s.windows.erase(std::find(s.windows.begin(), s.windows.end(), this));
    if (--s.classes[className_] == 0) s.classes.erase(className_);
    if (host_ && host_->child == this) host_->child = nullptr;
  }

  // Window
  void setListener(WindowListener* listener) override { listener_ = listener; }
  void* nativeHandle() const override { return const_cast<HeadlessWindow*>(this); }
  void invalidate(const Rect& r) override {
    if (!onOwnThread()) return;
    const Rect clipped = intersect(r, clientRect());
    invalidations_.push_back(r);
    invalid_.add(clipped);
  }
  void invalidate(const Region& region) override {
    for (const Rect& r : region.rects()) invalidate(r);
  }
  void captureMouse() override {
    if (onOwnThread()) capture_ = true;
  }
  void releaseMouse() override {
    if (onOwnThread()) capture_ = false;
  }
  void takeFocus() override {
    if (!onOwnThread()) return;
    state().focus = this;
    cursor_ = headless::Cursor::Arrow;
  }
  Point clientToScreen(Point p) const override {
    const Point origin = host_ ? host_->screenOrigin : Point{0, 0};
    return {static_cast<std::int16_t>(p.x + origin.x), static_cast<std::int16_t>(p.y + origin.y)};
  }

  // WindowDriver
  int width() const override { return screen_->width(); }
  int height() const override { return screen_->height(); }

  void mouseMove(Point p, const KeyModifiers& m) override {
    HeldKeys keys(m);
    cursor_ = headless::Cursor::Arrow;
    if (listener_) listener_->onMouseMove(event(p, m));
  }
  void mouseDown(Point p, const KeyModifiers& m) override {
    HeldKeys keys(m);
    buttonDown_ = true;
    if (listener_) listener_->onMouseDown(event(p, m));
  }
  void mouseUp(Point p, const KeyModifiers& m) override {
    HeldKeys keys(m);
    buttonDown_ = false;
    const MouseEvent e = event(p, m);
    if (listener_) listener_->onMouseUp(e);
  }
  void key(int virtualKey, const KeyModifiers& m) override {
    HeldKeys keys(m);
    if (HeadlessEditBox* box = focusedEditBox(this)) {
      box->specialKey(virtualKey);
      return;
    }
    if (state().focus == this && listener_) listener_->onKeyDown(virtualKey, m);
  }
  bool typeText(const std::string& s) override {
    if (!focusedEditBox(this)) return false;
    for (char c : s) {
      // A keystroke can close the box (Tab moves the focus): look it up for each one.
      HeadlessEditBox* box = focusedEditBox(this);
      if (!box) break;
      box->typeChar(c);
    }
    return true;
  }
  bool pasteText(const std::string& s) override {
    HeadlessEditBox* box = focusedEditBox(this);
    if (!box) return false;
    box->paste(s);
    return true;
  }
  bool focusedEditText(std::string& out) const override {
    const HeadlessEditBox* box = focusedEditBox(this);
    if (!box) return false;
    out = box->text();
    return true;
  }
  void stealCapture() override {
    if (!capture_) return;
    capture_ = false;
    if (listener_) listener_->onCaptureLost();
  }

  bool paint() override {
    if (invalid_.isEmpty()) return false;
    paintArea(invalid_.bounds());
    return true;
  }
  void paintAll() override {
    invalid_.clear();
    invalid_.add(clientRect());
    paint();
  }

  std::vector<Rect> invalidations() const override { return invalidations_; }
  void clearInvalidations() override { invalidations_.clear(); }
  bool hasCapture() const override { return capture_; }
  bool hasFocus() const override { return state().focus == this; }
  headless::Cursor cursor() const override { return cursor_; }
  int editBoxCount() const override {
    int n = 0;
    for (HeadlessEditBox* box : state().editBoxes) n += box->window() == this;
    return n;
  }
  long foreignThreadCalls() const override { return foreignCalls_.load(std::memory_order_relaxed); }
  int libraryObjectCount() const override {
    return headless::openWindowCount() + headless::openEditBoxCount() + headless::openMenuCount();
  }
  const Bitmap& screen() const override { return *screen_; }
  bool saveScreenshot(const std::string& pngPath) const override { return headless::savePng(*screen_, pngPath); }

  void queueMenuAnswer(int id) override { headless::queueMenuAnswer(id); }
  void queueFileAnswer(const std::string& path) override { headless::queueFileAnswer(path); }
  std::vector<headless::ShownMenu> shownMenus() const override { return headless::shownMenus(); }
  std::vector<headless::ShownFileDialog> shownFileDialogs() const override {
    return headless::shownFileDialogs();
  }

 private:
  Rect clientRect() const { return {0, 0, screen_->width(), screen_->height()}; }
  // False, counted, for a call from another thread: the window's state is its thread's.
  bool onOwnThread() {
    if (std::this_thread::get_id() == thread_) return true;
    foreignCalls_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }

  MouseEvent event(Point p, const KeyModifiers& m) const {
    MouseEvent e;
    e.point = p;
    e.buttonHeld = buttonDown_;
    e.shift = m.shift;
    e.control = m.control;
    return e;
  }

  // The paint event: what the listener copies lands on the invalid area only.
  void paintArea(const Rect& dirty) {
    paintClip_ = invalid_;
    invalid_.clear();
    if (listener_) listener_->onPaint(*this, dirty);
    paintClip_.clear();
  }

  // PaintTarget: copies the bytes as the screen shows them (opaque).
  void copy(const Bitmap& from, const Rect& r) override {
    for (const Rect& c : paintClip_.rects()) {
      const Rect part = intersect(intersect(r, c), intersect({0, 0, from.width(), from.height()}, clientRect()));
      for (int y = part.y; y < part.y + part.h; ++y) {
        const std::uint8_t* src = from.row(y) + static_cast<std::size_t>(part.x) * 4;
        std::uint8_t* dst = screen_->row(y) + static_cast<std::size_t>(part.x) * 4;
        std::memcpy(dst, src, static_cast<std::size_t>(part.w) * 4);
        for (int x = 0; x < part.w; ++x) dst[x * 4 + 3] = 0xFF;
      }
    }
  }

  headless::HostWindow* host_;
  std::string className_;
  std::unique_ptr<Bitmap> screen_;
  WindowListener* listener_ = nullptr;
  Region invalid_;
  Region paintClip_;
  std::vector<Rect> invalidations_;
  bool capture_ = false;
  bool buttonDown_ = false;
  headless::Cursor cursor_ = headless::Cursor::None;
  const std::thread::id thread_ = std::this_thread::get_id();
  std::atomic<long> foreignCalls_{0};
};

HeadlessEditBox::~HeadlessEditBox() {
  State& s = state();
  s.editBoxes.erase(std::find(s.editBoxes.begin(), s.editBoxes.end(), this));
  if (s.focus == this) s.focus = window_;
}

// --- pop-up menu -------------------------------------------------------------------------

class HeadlessMenu final : public PopupMenu {
 public:
  HeadlessMenu() { ++state().menus; }
  ~HeadlessMenu() override { --state().menus; }
  void appendItem(int id, const std::string& text) override { items_.push_back({id, text, false, false, false}); }
  void appendSeparator() override { items_.push_back({0, "", true, false, false}); }
  void clear() override { items_.clear(); }
  int itemCount() const override { return static_cast<int>(items_.size()); }
  void setDefaultItem(int id) override {
    for (auto& item : items_) item.isDefault = !item.separator && item.id == id;
  }
  void setChecked(int id, bool checked) override {
    for (auto& item : items_)
      if (!item.separator && item.id == id) item.checked = checked;
  }
  bool isChecked(int id) const override {
    for (const auto& item : items_)
      if (!item.separator && item.id == id) return item.checked;
    return false;
  }
  int track(Window&, Point screen) override {
    State& s = state();
    int answer = 0;
    if (!s.menuAnswers.empty()) {
      answer = s.menuAnswers.front();
      s.menuAnswers.pop_front();
    }
    // Only an item of the menu can be chosen.
    const bool exists = std::any_of(items_.begin(), items_.end(),
                                    [&](const auto& item) { return !item.separator && item.id == answer; });
    if (!exists) answer = 0;
    s.shownMenus.push_back({items_, screen, answer});
    return answer;
  }

 private:
  std::vector<headless::ShownMenu::Item> items_;
};

bool answerFileDialog(bool save, const FileDialogOptions& options, std::string& path) {
  State& s = state();
  std::string answer;
  if (!s.fileAnswers.empty()) {
    answer = s.fileAnswers.front();
    s.fileAnswers.pop_front();
  }
  s.shownFileDialogs.push_back({save, options, answer});
  if (answer.empty()) return false;
  path = answer;
  return true;
}

}  // namespace

// --- the interface -------------------------------------------------------------------------

std::unique_ptr<Bitmap> Bitmap::create(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  keepDrawingLibrariesLoaded();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return std::make_unique<CairoBitmap>(s);
}

std::unique_ptr<Surface> Surface::create(Bitmap& target) { return std::make_unique<CairoSurface>(target); }

KeyModifiers keyboardModifiers() { return state().keys; }

std::unique_ptr<Window> Window::create(void* parent, const WindowOptions& options) {
  auto* host = static_cast<headless::HostWindow*>(parent);
  if (host && host->magic != headless::HostWindow::kMagic) return nullptr;
  auto screen = Bitmap::create(options.width, options.height);
  if (!screen) return nullptr;
  return std::make_unique<HeadlessWindow>(host, options, std::move(screen));
}

std::unique_ptr<PopupMenu> PopupMenu::create() { return std::make_unique<HeadlessMenu>(); }

std::unique_ptr<EditBox> EditBox::create(Window& parent, const Rect&, const std::string& text,
                                         const EditBoxOptions& options, EditBoxListener* listener) {
  if (!listener) return nullptr;
  return std::make_unique<HeadlessEditBox>(static_cast<HeadlessWindow*>(&parent), text, options, listener);
}

bool chooseFileToOpen(void*, const FileDialogOptions& options, std::string& path) {
  return answerFileDialog(false, options, path);
}

bool chooseFileToSave(void*, const FileDialogOptions& options, std::string& path) {
  return answerFileDialog(true, options, path);
}

namespace headless {

WindowDriver& driver(Window& window) { return static_cast<HeadlessWindow&>(window); }

void queueMenuAnswer(int id) { state().menuAnswers.push_back(id); }
void queueFileAnswer(const std::string& path) { state().fileAnswers.push_back(path); }
std::vector<ShownMenu> shownMenus() { return state().shownMenus; }
std::vector<ShownFileDialog> shownFileDialogs() { return state().shownFileDialogs; }
void clearShown() {
  state().shownMenus.clear();
  state().shownFileDialogs.clear();
}

int openWindowCount() { return static_cast<int>(state().windows.size()); }
int openEditBoxCount() { return static_cast<int>(state().editBoxes.size()); }
int openMenuCount() { return state().menus; }
bool isClassRegistered(const std::string& className) { return state().classes.count(className) != 0; }

bool savePng(const Bitmap& bitmap, const std::string& path) {
  cairo_surface_t* s = surfaceOf(bitmap);
  cairo_surface_flush(s);
  return cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace headless
}  // namespace platform
