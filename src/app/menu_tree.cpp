#include "app/menu_tree.h"

#include "platform/qt/qt_child.h"

namespace ombrix::app {
namespace {

enum Flags : unsigned {
  kPlain = 0,
  kEnabled = 1U << 0,    // its command exists
  kCheckable = 1U << 1,  // one of a group of options
};

struct ItemSpec {
  const char* name;
  const char* caption;
  unsigned flags;
};

struct MenuSpec {
  const char* name;
  const char* caption;
};

QMenu* AddMenu(QWidget* parent_widget, MenuTree& tree, const MenuSpec& spec) {
  QMenu* menu = qt::MakeChild<QMenu>(parent_widget, QString::fromUtf8(spec.caption));
  menu->setObjectName(QString::fromLatin1(spec.name));
  tree.menus[menu->objectName()] = menu;
  return menu;
}

QAction* AddItem(QWidget* owner, MenuTree& tree, const ItemSpec& spec) {
  QAction* action = qt::MakeChild<QAction>(owner, QString::fromUtf8(spec.caption));
  action->setObjectName(QString::fromLatin1(spec.name));
  action->setCheckable((spec.flags & kCheckable) != 0);
  action->setEnabled((spec.flags & kEnabled) != 0);
  owner->addAction(action);
  tree.items[action->objectName()] = action;
  return action;
}

void AddItems(QMenu* menu, MenuTree& tree, std::initializer_list<ItemSpec> specs) {
  for (const ItemSpec& spec : specs) {
    AddItem(menu, tree, spec);
  }
}

QMenu* AddSubmenu(QMenu* parent, MenuTree& tree, const MenuSpec& spec) {
  QMenu* submenu = AddMenu(parent, tree, spec);
  parent->addMenu(submenu);
  return submenu;
}

}  // namespace

QAction* MenuTree::item(const QString& name) const {
  const auto it = items.find(name);
  return it == items.end() ? nullptr : it->second;
}

MenuTree BuildMenuTree(QMenuBar* bar) {
  MenuTree tree;

  QMenu* read_file = AddMenu(bar, tree, {"ReadFile", "ファイル読込"});
  AddItems(read_file, tree,
           {{"MeshDataLoad", "メッシュ数値データ", kPlain},
            {"RandomDataLoad", "ランダム数値データ", kPlain},
            {"LoadMap", "背景データ", kPlain},
            {"Sprite", "スプライト処理", kPlain}});

  QMenu* contour = AddMenu(bar, tree, {"ContourMain", "コンター図"});
  AddItems(contour, tree,
           {{"ContourLine", "作図", kPlain}, {"MeshDivided", "メッシュ分割", kPlain}});

  QMenu* optimise = AddMenu(bar, tree, {"OptimizingData", "最適化"});
  QMenu* initial = AddSubmenu(optimise, tree, {"InitialValue", "初期値"});
  AddItems(initial, tree,
           {{"WeightedFivePoint", "重み付５点平均値", kEnabled | kCheckable},
            {"Average", "全平均値", kEnabled | kCheckable}});
  QMenu* info = AddSubmenu(optimise, tree, {"InfomationDisplay", "情報表示"});
  AddItems(info, tree,
           {{"InfomationDisp1", "全情報", kEnabled | kCheckable},
            {"InfomationDisp2", "残差情報", kEnabled | kCheckable},
            {"InfomationDisp0", "なし", kEnabled | kCheckable}});
  // Beside the relaxation, which stays the default: the exact solution of the same system.
  AddItems(optimise, tree,
           {{"ExactSolver", "高速解法（厳密解）", kEnabled | kCheckable},
            {"MeshOptimizing", "メッシュ最適化", kPlain}});

  QMenu* colour = AddMenu(bar, tree, {"ColorSetting", "色設定"});
  AddItems(colour, tree,
           {{"RelativeColorIndex", "相対カラーインデックス", kEnabled | kCheckable},
            {"AbsoluteColorIndex", "絶対カラーインデックス", kEnabled | kCheckable}});

  QMenu* write_file = AddMenu(bar, tree, {"WriteFile", "ファイル書込"});
  AddItems(write_file, tree,
           {{"SaveContour", "コンター画像", kPlain}, {"SaveContourLines", "等高線データ", kPlain}});

  for (QMenu* menu : {read_file, contour, optimise, colour, write_file}) {
    bar->addMenu(menu);
  }
  // "終了" is a command of its own on the menu bar.
  AddItem(bar, tree, {"TheEnd", "終了", kEnabled});
  return tree;
}

}  // namespace ombrix::app
