#pragma once
// The menu bar: every menu and item carries its item name as objectName.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <map>

namespace ombrix::app {

struct MenuTree {
  std::map<QString, QMenu*> menus;
  std::map<QString, QAction*> items;

  // The item of that name; nullptr when there is none.
  QAction* item(const QString& name) const;
};

// Builds the whole tree. Items whose commands are not built yet are present and disabled.
MenuTree BuildMenuTree(QMenuBar* bar);

}  // namespace ombrix::app
