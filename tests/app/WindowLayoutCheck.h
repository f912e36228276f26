// Layout checks of a shown window, measured with the fonts and the style of
// the platform the test runs on: every caption fits its widget (text width
// from QFontMetrics plus the style's margins), every grid shows all its
// columns without a horizontal scroll bar, and no widget reaches outside its
// parent. Plus a screenshot of the window beside the test output.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QWidget>
#include <string>
#include <vector>

namespace veltro::test {

namespace layout_detail {

inline std::string Name(const QWidget* w) {
  QString name = w->objectName();
  if (name.isEmpty()) name = QString::fromLatin1(w->metaObject()->className());
  return name.toStdString();
}

inline std::string Size(int needed, int available) {
  return " needs " + std::to_string(needed) + " px, has " + std::to_string(available) + " px";
}

// The text as drawn when "&" marks a mnemonic: "&&" is one "&", "&x" is "x".
inline QString WithoutMnemonic(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

inline int TextWidth(const QFontMetrics& fm, const QString& text) {
  int width = 0;
  for (const QString& line : text.split(u'\n')) width = std::max(width, fm.horizontalAdvance(line));
  return width;
}

inline int TextHeight(const QFontMetrics& fm, const QString& text) {
  return fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text).height();
}

// A widget that a scroll area moves or clips on purpose (cell editors, the
// scrolled contents) is not measured against its parent.
inline bool InsideViewport(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget()); area && area->viewport() == p)
      return true;
  return false;
}

inline void CheckLabel(const QLabel* label, std::vector<std::string>& faults) {
  if (label->text().isEmpty() || Qt::mightBeRichText(label->text()) || label->textFormat() == Qt::RichText) return;
  const QFontMetrics fm(label->font());
  const QString text = label->buddy() ? WithoutMnemonic(label->text()) : label->text();
  const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                    -label->margin());
  if (label->wordWrap()) {
    const int needed = label->heightForWidth(label->width());
    if (needed > label->height()) faults.push_back(Name(label) + ": wrapped text height" + Size(needed, label->height()));
    return;
  }
  int indent = label->indent();
  if (indent < 0) indent = label->frameWidth() > 0 ? fm.horizontalAdvance(u'x') / 2 : 0;
  const int width = TextWidth(fm, text) + indent;
  const int height = TextHeight(fm, text);
  if (width > room.width())
    faults.push_back(Name(label) + ": text \"" + text.toStdString() + "\" width" + Size(width, room.width()));
  if (height > room.height()) {
    faults.push_back(Name(label) + ": text \"" + text.toStdString() + "\" height" + Size(height, room.height()));
    return;
  }
  // The glyphs themselves: accents of capitals ("Ü") rise above the font's
  // ascent, and the widget's edge cuts them.
  const Qt::Alignment align = label->alignment();
  int top = room.top() + (room.height() - height) / 2;
  if (align & Qt::AlignTop) top = room.top();
  if (align & Qt::AlignBottom) top = room.bottom() + 1 - height;
  const QStringList lines = text.split(u'\n');
  const int inkTop = top + fm.ascent() + fm.tightBoundingRect(lines.front()).top();
  const int inkBottom = top + (static_cast<int>(lines.size()) - 1) * fm.lineSpacing() + fm.ascent() +
                        fm.tightBoundingRect(lines.back()).bottom();
  if (inkTop < 0 || inkBottom >= label->height())
    faults.push_back(Name(label) + ": glyphs of \"" + text.toStdString() + "\" cut, drawn from y " +
                     std::to_string(inkTop) + " to " + std::to_string(inkBottom) + " in " +
                     std::to_string(label->height()) + " px");
}

inline void CheckButton(const QAbstractButton* button, std::vector<std::string>& faults) {
  if (button->text().isEmpty()) return;
  const QFontMetrics fm(button->font());
  const QString text = WithoutMnemonic(button->text());
  QSize contents(TextWidth(fm, text), TextHeight(fm, text));
  QStyleOptionButton opt;
  opt.initFrom(button);
  opt.text = text;
  opt.iconSize = button->iconSize();
  opt.icon = button->icon();
  if (!opt.icon.isNull()) contents += QSize(opt.iconSize.width() + 4, 0);
  // Width: the style's margins around the text (and its indicator); height:
  // the text inside the button's frame, or beside the indicator.
  QStyle* style = button->style();
  QStyle::ContentsType type;
  int height = contents.height();
  if (qobject_cast<const QCheckBox*>(button)) {
    type = QStyle::CT_CheckBox;
    height = std::max(height, style->pixelMetric(QStyle::PM_IndicatorHeight, &opt, button));
  } else if (qobject_cast<const QRadioButton*>(button)) {
    type = QStyle::CT_RadioButton;
    height = std::max(height, style->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &opt, button));
  } else if (auto* push = qobject_cast<const QPushButton*>(button)) {
    type = QStyle::CT_PushButton;
    // Without text the style adds its margins only, not its minimum width.
    opt.text.clear();
    if (push->autoDefault() || push->isDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
    height += 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
  } else {
    return;
  }
  const int width = style->sizeFromContents(type, &opt, contents, button).width();
  if (width > button->width())
    faults.push_back(Name(button) + ": caption \"" + text.toStdString() + "\" width" + Size(width, button->width()));
  if (height > button->height())
    faults.push_back(Name(button) + ": caption \"" + text.toStdString() + "\" height" +
                     Size(height, button->height()));
}

inline void CheckGroupBox(const QGroupBox* box, std::vector<std::string>& faults) {
  if (box->title().isEmpty()) return;
  QStyleOptionGroupBox opt;
  opt.initFrom(box);
  opt.text = box->title();
  opt.lineWidth = 1;
  opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  if (box->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
  opt.textAlignment = box->alignment();
  const QRect title = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
  const int width = TextWidth(box->fontMetrics(), WithoutMnemonic(box->title()));
  if (!box->rect().contains(title) || title.width() < width)
    faults.push_back(Name(box) + ": title \"" + box->title().toStdString() + "\" reaches to x " +
                     std::to_string(title.right()) + ", box ends at " + std::to_string(box->rect().right()));
}

inline void CheckHeader(const QHeaderView* header, const std::string& grid, std::vector<std::string>& faults) {
  if (!header->isVisible() || !header->model()) return;
  for (int logical = 0; logical < header->count(); ++logical) {
    if (header->isSectionHidden(logical)) continue;
    const QString text = header->model()->headerData(logical, header->orientation(), Qt::DisplayRole).toString();
    if (text.isEmpty()) continue;
    QStyleOptionHeader opt;
    opt.initFrom(header);
    QVariant font = header->model()->headerData(logical, header->orientation(), Qt::FontRole);
    opt.fontMetrics = font.isValid() ? QFontMetrics(font.value<QFont>()) : header->fontMetrics();
    opt.text = text;
    opt.section = logical;
    const QSize needed = header->style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), header);
    const int has = header->sectionSize(logical);
    const int neededSize = header->orientation() == Qt::Horizontal ? needed.width() : needed.height();
    if (neededSize > has)
      faults.push_back(grid + ": header \"" + text.toStdString() + "\"" + Size(neededSize, has));
  }
}

inline void CheckItemView(const QAbstractItemView* view, std::vector<std::string>& faults) {
  const std::string name = Name(view);
  if (view->horizontalScrollBar()->isVisible()) faults.push_back(name + ": horizontal scroll bar shown");
  const QHeaderView* header = nullptr;
  if (auto* table = qobject_cast<const QTableView*>(view)) {
    header = table->horizontalHeader();
    CheckHeader(table->verticalHeader(), name, faults);
  } else if (auto* tree = qobject_cast<const QTreeView*>(view)) {
    header = tree->header();
  }
  if (!header) return;
  CheckHeader(header, name, faults);
  if (header->length() > view->viewport()->width())
    faults.push_back(name + ": columns" + Size(header->length(), view->viewport()->width()));
}

inline void CheckTabBar(const QTabBar* bar, std::vector<std::string>& faults) {
  QStyle* style = bar->style();
  for (int i = 0; i < bar->count(); ++i) {
    if (!bar->isTabVisible(i)) continue;
    const QString text = WithoutMnemonic(bar->tabText(i));
    const QRect tab = bar->tabRect(i);
    QStyleOptionTab opt;
    opt.initFrom(bar);
    opt.text = text;
    opt.shape = bar->shape();
    const QSize contents(TextWidth(bar->fontMetrics(), text) + style->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, bar),
                         TextHeight(bar->fontMetrics(), text) + style->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, bar));
    const int needed = style->sizeFromContents(QStyle::CT_TabBarTab, &opt, contents, bar).width();
    if (needed > tab.width())
      faults.push_back(Name(bar) + ": tab \"" + text.toStdString() + "\"" + Size(needed, tab.width()));
    if (!bar->rect().contains(tab))
      faults.push_back(Name(bar) + ": tab \"" + text.toStdString() + "\" beyond the bar's end");
  }
}

}  // namespace layout_detail

// Lets pending layout and scroll-bar updates of a shown window run.
inline void SettleWindow(QWidget& window) {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
  (void)window;
}

// Every fault of the shown window, one line each, naming the widget; with
// part, only of part and the widgets inside it. Pages of a tab widget other than the
// current one are not looked at (LayoutFaultsOfEveryPage).
inline std::vector<std::string> LayoutFaults(QWidget& window, QWidget* part = nullptr) {
  using namespace layout_detail;
  SettleWindow(window);
  std::vector<std::string> faults;
  QList<QWidget*> widgets = (part ? part : &window)->findChildren<QWidget*>();
  if (part) widgets.prepend(part);
  for (QWidget* w : widgets) {
    if (w->isWindow() || !w->isVisibleTo(&window) || InsideViewport(w, &window)) continue;
    const QWidget* parent = w->parentWidget();
    if (!parent->rect().contains(w->geometry()))
      faults.push_back(Name(w) + ": outside " + Name(parent) + " (" + std::to_string(w->geometry().right()) + "," +
                       std::to_string(w->geometry().bottom()) + " in " + std::to_string(parent->width()) + "x" +
                       std::to_string(parent->height()) + ")");
    if (auto* label = qobject_cast<QLabel*>(w))
      CheckLabel(label, faults);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
      CheckButton(button, faults);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
      CheckGroupBox(box, faults);
    else if (auto* view = qobject_cast<QAbstractItemView*>(w))
      CheckItemView(view, faults);
    else if (auto* bar = qobject_cast<QTabBar*>(w))
      CheckTabBar(bar, faults);
  }
  return faults;
}

// LayoutFaults of the window as shown and of every other page of its tab
// widgets, each shown in turn; the tab widgets are left on their pages.
inline std::vector<std::string> LayoutFaultsOfEveryPage(QWidget& window) {
  std::vector<std::string> faults = LayoutFaults(window);
  for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
    if (!tabs->isVisibleTo(&window)) continue;
    const int shown = tabs->currentIndex();
    for (int i = 0; i < tabs->count(); ++i) {
      if (i == shown || !tabs->isTabVisible(i)) continue;
      tabs->setCurrentIndex(i);
      for (const std::string& fault : LayoutFaults(window, tabs->widget(i)))
        faults.push_back("page \"" + tabs->tabText(i).toStdString() + "\": " + fault);
    }
    tabs->setCurrentIndex(shown);
  }
  return faults;
}

// Saves a picture of the window as <build>/tests/screenshots/<name>.png for a
// person to look at; answers the file's path ("" when it could not be saved).
inline QString SaveScreenshot(QWidget& window, const QString& name) {
  SettleWindow(window);
  const QString dir = QStringLiteral(VELTRO_BUILD_DIR "/tests/screenshots");
  QDir().mkpath(dir);
  const QString path = dir + u'/' + name + QStringLiteral(".png");
  return window.grab().save(path) ? path : QString();
}

}  // namespace veltro::test
