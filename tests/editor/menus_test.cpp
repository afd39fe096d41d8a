// The patch, category and group menus and the voices menu, with scripted native menus:
// which item a returned id selects, the refreshes that follow, exactly one patch load per
// choice, refreshes while a menu is open, and dismissals.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "editor/patch_menus.h"
#include "library/patch_library.h"
#include "platform/gui.h"
#include "tests/editor/editor_fixture.h"

namespace {

using editortest::automations;
using editortest::centreOf;
using editortest::Editor;
namespace hl = platform::headless;

// A small library: groups of categories of patch names; choosing a group or category
// starts at its first category or patch, as the patch library does.
struct FakeLibrary final : PatchChooser {
  std::vector<std::vector<std::vector<std::string>>> tree{
      {{"Bass 1", "Bass 2", "Bass 3"}, {"Lead 1"}},
      {{"Pad 1", "Pad 2"}, {}, {"Drone 1", std::string(60, 'x')}},
  };
  std::vector<std::string> groupNames{"Factory", "User"};
  std::vector<std::vector<std::string>> categoryNames{{"Basses", "Leads"}, {"Pads", "Empty", "Drones"}};
  int group = 0, category = 0, patch = 0, loads = 0;

  std::vector<std::string> items(int level, int& current) override {
    if (level == PatchMenu::kGroups) return current = group, groupNames;
    if (level == PatchMenu::kCategories) return current = category, categoryNames[group];
    const auto& patches = tree[group][category];
    current = patches.empty() ? -1 : patch;
    return patches.empty() ? std::vector<std::string>{"No Patch"} : patches;
  }
  void select(int level, int index) override {
    if (level == PatchMenu::kGroups && index < int(groupNames.size())) group = index, category = 0, patch = 0;
    if (level == PatchMenu::kCategories && index < int(categoryNames[group].size())) category = index, patch = 0;
    if (level == PatchMenu::kPatches && index < int(tree[group][category].size())) patch = index;
  }
  void loadCurrentPatch() override { ++loads; }
};

// The three menus on a canvas with a window of its own, the way the panel makes them.
struct Menus {
  std::unique_ptr<platform::Window> window = platform::Window::create(nullptr, {"QvMenusTest", "menus", 400, 40});
  CAUGuiCanvas canvas{nullptr, window.get(), 0, 0};
  FakeLibrary library;
  PatchMenu* menu[3] = {};
  explicit Menus(std::unique_ptr<platform::PopupMenu> patchNative = nullptr) {
    const GuiRect rects[3] = {{244, 6, 108, 12}, {137, 6, 98, 12}, {32, 6, 98, 12}};
    for (int level : {2, 1, 0}) {
      menu[level] = new PatchMenu(&canvas, rects[level], 3970 + 2 - level, &library, level,
                                  level == 0 ? std::move(patchNative) : nullptr);
      canvas.addControl(menu[level]);
    }
  }
  void click(int level) {
    const GuiPoint p = centreOf(menu[level]->bounds());
    canvas.mouseDown(p, false, false);
    canvas.mouseUp(p, false);
  }
};

TEST(PatchMenus, ChoicesSelectRefreshAndLoadOnce) {
  struct {
    int level, id;
    int group, category, patch, loads;
    const char* patchText;     // what the patch menu shows afterwards
    const char* categoryText;  // and the category menu
  } cases[] = {
      {0, 3, 0, 0, 2, 1, "Bass 3", "Basses"},  {0, 1, 0, 0, 0, 1, "Bass 1", "Basses"},
      {1, 2, 0, 1, 0, 1, "Lead 1", "Leads"},   {2, 2, 1, 0, 0, 1, "Pad 1", "Pads"},
      {0, 0, 0, 0, 0, 0, "Bass 1", "Basses"},  {2, 0, 0, 0, 0, 0, "Bass 1", "Basses"},
      {0, 9, 0, 0, 0, 0, "Bass 1", "Basses"},
  };
  for (const auto& c : cases) {
    Menus m;
    hl::clearShown();
    hl::queueMenuAnswer(c.id);
    m.click(c.level);
    const std::string what = "level " + std::to_string(c.level) + " id " + std::to_string(c.id);
    EXPECT_EQ(m.library.group, c.group) << what;
    EXPECT_EQ(m.library.category, c.category) << what;
    EXPECT_EQ(m.library.patch, c.patch) << what;
    EXPECT_EQ(m.library.loads, c.loads) << what << ": one patch load per choice";
    EXPECT_EQ(m.menu[0]->shownText(), c.patchText) << what;
    EXPECT_EQ(m.menu[1]->shownText(), c.categoryText) << what;
    // The menu the user saw: ids from 1, the current item shown bold.
    const auto shown = hl::shownMenus();
    ASSERT_EQ(shown.size(), 1u) << what;
    ASSERT_FALSE(shown[0].items.empty());
    EXPECT_EQ(shown[0].items[0].id, 1) << what;
    EXPECT_TRUE(shown[0].items[0].isDefault) << what;
    // The patch menu's native items follow the choice.
    const auto& patchItems = m.menu[0]->items();
    EXPECT_EQ(m.menu[0]->menu()->itemCount(), int(patchItems.size())) << what;
  }
}

TEST(PatchMenus, ChoosingTheCurrentItemReloadsAndLongNamesAreCut) {
  Menus m;
  m.library.group = 1, m.library.category = 2;
  m.canvas.refreshPatchMenu(0);
  hl::clearShown();
  hl::queueMenuAnswer(1);  // the current one
  m.click(0);
  EXPECT_EQ(m.library.loads, 1);
  hl::queueMenuAnswer(0);
  m.click(0);
  const auto shown = hl::shownMenus();
  ASSERT_EQ(shown.size(), 2u);
  ASSERT_EQ(shown[1].items.size(), 2u);
  EXPECT_EQ(shown[1].items[1].text, std::string(50, 'x'));
  // An empty category shows "No Patch"; choosing it still loads the current patch.
  m.library.category = 1;
  m.canvas.refreshPatchMenu(0);
  EXPECT_EQ(m.menu[0]->shownText(), "No Patch");
  EXPECT_EQ(m.menu[0]->currentIndex(), -1);
  hl::queueMenuAnswer(1);
  m.click(0);
  EXPECT_EQ(m.library.loads, 2);
}

// A native menu whose user takes a while: something runs while it is open, then it returns.
struct SlowMenu final : platform::PopupMenu {
  std::vector<std::string>* texts;
  std::function<void()> whileOpen;
  int answer = 0;
  int rebuiltWhileOpen = 0;
  bool open = false;
  explicit SlowMenu(std::vector<std::string>* t) : texts(t) {}
  void appendItem(int, const std::string& text) override {
    rebuiltWhileOpen += open;
    texts->push_back(text);
  }
  void appendSeparator() override {}
  void clear() override {
    rebuiltWhileOpen += open;
    texts->clear();
  }
  int itemCount() const override { return int(texts->size()); }
  void setDefaultItem(int) override {}
  void setChecked(int, bool) override {}
  bool isChecked(int) const override { return false; }
  int track(platform::Window&, platform::Point) override {
    open = true;
    if (whileOpen) whileOpen();
    open = false;
    return answer;
  }
};

TEST(PatchMenus, ARefreshWhileTheMenuIsOpenKeepsWhatTheUserChose) {
  struct {
    const char* what;
    std::vector<std::string> patchesWhileOpen;
    int answer;
    int patch, loads;  // afterwards
  } cases[] = {
      {"the chosen item moved", {"Bass 0", "Bass 1", "Bass 2", "Bass 3"}, 2, 2, 1},
      {"the chosen item is gone", {"Bass 1", "Bass 3"}, 2, 0, 0},
      {"nothing changed", {"Bass 1", "Bass 2", "Bass 3"}, 3, 2, 1},
      {"-1 is a dismissal", {"Bass 1", "Bass 2", "Bass 3"}, -1, 0, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> native;
    auto slow = std::make_unique<SlowMenu>(&native);
    SlowMenu* menu = slow.get();
    Menus m(std::move(slow));
    menu->answer = c.answer;
    menu->whileOpen = [&] {
      m.library.tree[0][0] = c.patchesWhileOpen;
      m.canvas.refreshPatchMenu(0);  // as an idle inside the menu's loop does
    };
    m.click(0);
    EXPECT_EQ(menu->rebuiltWhileOpen, 0) << c.what << ": the open menu is left as it is";
    EXPECT_EQ(native, c.patchesWhileOpen) << c.what << ": and follows the library once closed";
    EXPECT_EQ(m.library.patch, c.patch) << c.what;
    EXPECT_EQ(m.library.loads, c.loads) << c.what;
  }
}

TEST(VoicesMenu, EveryValueShownOffersOneToEightAndDismissalChangesNothing) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.idle();
  VoicesMenu& voices = *e.view().voicesMenu();
  for (int v = 0; v <= 8; ++v) {
    e.plugin().setParameter(81, float(v) / 8.0f);
    e.idle();
    EXPECT_EQ(voices.shownText(), std::to_string(v + 1)) << v;
  }
  hl::clearShown();
  const GuiPoint p = centreOf(voices.bounds());
  struct {
    int id;
    int value;  // the parameter's plain value afterwards
  } cases[] = {{1, 0}, {8, 7}, {3, 2}, {0, 2}, {9, 2}};
  for (const auto& c : cases) {
    frametest::resetRecords(2400);
    hl::queueMenuAnswer(c.id);
    e.canvas().mouseDown(p, false, false);
    e.canvas().mouseUp(p, false);
    e.idle();
    EXPECT_FLOAT_EQ(e.plugin().getParameter(81) * 8.0f, float(c.value)) << "id " << c.id;
    EXPECT_EQ(voices.shownText(), std::to_string(c.value + 1)) << "id " << c.id;
    const auto a = automations();
    if (c.id >= 1 && c.id <= 8) {
      ASSERT_EQ(a.size(), 1u) << "id " << c.id;
      EXPECT_EQ(a[0].first, 81);
    } else {
      EXPECT_TRUE(a.empty()) << "a dismissal reports nothing (id " << c.id << ")";
    }
  }
  const auto shown = hl::shownMenus();
  ASSERT_FALSE(shown.empty());
  ASSERT_EQ(shown[0].items.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(shown[0].items[i].text, std::to_string(i + 1));
    EXPECT_EQ(shown[0].items[i].id, i + 1);
  }
  EXPECT_TRUE(shown[2].items[7].isDefault) << "the current value is the default item";
}

}  // namespace

namespace {

// The panel's patch menu with the plug-in's own library while an audio thread plays: the
// chosen patch is what the engine then plays.
TEST(PatchMenus, ChoosingAPatchChangesTheSound) {
  Editor e;
  ASSERT_TRUE(e.open());
  e.instance.dispatch(effMainsChanged, 0, 1);
  e.idle();
  std::vector<float> out;
  out.reserve(44100 * 20);
  std::atomic<std::size_t> frames{0};
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    while (!stop.load() && out.size() + 512 <= out.capacity()) {
      const std::vector<float> block = editortest::render(e.plugin(), 512);
      out.insert(out.end(), block.begin(), block.end());
      frames.store(out.size());
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });
  auto waitFor = [&](std::size_t n) {
    while (frames.load() < n && !stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  // Hold a note with the keyboard's hold strip and a click on middle C's top.
  for (GuiPoint p : {GuiPoint{400, 611}, GuiPoint{557, 523}}) {
    e.canvas().mouseDown(p, false, false);
    e.canvas().mouseUp(p, false);
  }
  waitFor(44100);
  const std::size_t before = frames.load();
  PatchMenu& menu = *e.view().patchMenu(PatchMenu::kPatches);
  ASSERT_GE(menu.items().size(), 2u);
  const int other = menu.currentIndex() == 1 ? 1 : 2;  // an id of another patch
  hl::queueMenuAnswer(other);
  const GuiPoint p = centreOf(menu.bounds());
  e.canvas().mouseDown(p, false, false);
  e.canvas().mouseUp(p, false);
  const std::size_t chosen = frames.load();
  waitFor(chosen + 44100);
  stop.store(true);
  audio.join();
  e.idle();
  EXPECT_EQ(menu.currentIndex(), other - 1);
  const std::vector<float> a(out.begin() + long(before) - 22050, out.begin() + long(before));
  const std::vector<float> b(out.begin() + long(chosen) + 22050, out.begin() + long(chosen) + 44100);
  const double ra = editortest::rms(a), rb = editortest::rms(b);
  EXPECT_GT(ra, 1e-3);
  EXPECT_GT(rb, 1e-3);
  // "Round Bass" and "Sub Bass" of the shipped library differ in level by far more than this.
  EXPECT_GT(std::fabs(std::log(rb / ra)), std::log(1.25)) << menu.items()[0] << " " << ra << ", " << menu.items()[other - 1] << " " << rb;
}

}  // namespace
