#include "window/qt/qt_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "core/error.h"

namespace quo {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

QtControl::QtControl(const std::string& name, QObject* object) : Control(name), object_(object) {}

std::string QtControl::Caption() const {
  if (auto* l = qobject_cast<QLabel*>(object_)) return S(l->text());
  if (auto* b = qobject_cast<QAbstractButton*>(object_)) return S(b->text());
  if (auto* g = qobject_cast<QGroupBox*>(object_)) return S(g->title());
  if (auto* a = qobject_cast<QAction*>(object_)) return a->isSeparator() ? "-" : S(a->text());
  if (auto* m = qobject_cast<QMenu*>(object_)) return S(m->title());
  return Control::Caption();
}

void QtControl::LogCaptions(std::FILE* log, std::string prefix) {
  captionLog_.emplace(log, std::move(prefix));
}

void QtControl::SetCaption(const std::string& v) {
  if (captionLog_) captionLog_->Log(v);
  if (auto* l = qobject_cast<QLabel*>(object_)) return l->setText(Q(v));
  if (auto* b = qobject_cast<QAbstractButton*>(object_)) return b->setText(Q(v));
  if (auto* g = qobject_cast<QGroupBox*>(object_)) return g->setTitle(Q(v));
  if (auto* a = qobject_cast<QAction*>(object_)) {
    if (!a->isSeparator()) a->setText(Q(v));
    return;
  }
  if (auto* m = qobject_cast<QMenu*>(object_)) return m->setTitle(Q(v));
  Control::SetCaption(v);  // text boxes, pictures and timers have no caption
}

std::string QtControl::Text() const {
  if (auto* e = qobject_cast<QLineEdit*>(object_)) return S(e->text());
  if (auto* c = qobject_cast<QComboBox*>(object_)) return S(c->currentText());
  return Control::Text();
}

void QtControl::SetText(const std::string& v) {
  if (auto* e = qobject_cast<QLineEdit*>(object_)) return e->setText(Q(v));
  Control::SetText(v);
}

std::string QtControl::ToolTip() const {
  if (auto* w = qobject_cast<QWidget*>(object_)) return S(w->toolTip());
  if (auto* a = qobject_cast<QAction*>(object_)) return S(a->toolTip());
  return Control::ToolTip();
}

void QtControl::SetToolTip(const std::string& v) {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->setToolTip(Q(v));
  if (auto* a = qobject_cast<QAction*>(object_)) return a->setToolTip(Q(v));
  Control::SetToolTip(v);
}

bool QtControl::Enabled() const {
  if (auto* w = qobject_cast<QWidget*>(object_)) return !w->testAttribute(Qt::WA_ForceDisabled);
  if (auto* a = qobject_cast<QAction*>(object_)) return a->isEnabled();
  if (auto* t = qobject_cast<QTimer*>(object_)) return t->isActive();
  return Control::Enabled();
}

void QtControl::SetEnabled(bool v) {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->setEnabled(v);
  if (auto* a = qobject_cast<QAction*>(object_)) return a->setEnabled(v);
  if (auto* t = qobject_cast<QTimer*>(object_)) {
    if (v && !t->isActive()) t->start();
    if (!v) t->stop();
    return;
  }
  Control::SetEnabled(v);
}

bool QtControl::Visible() const {
  if (auto* w = qobject_cast<QWidget*>(object_)) return !w->isHidden();
  if (auto* a = qobject_cast<QAction*>(object_)) return a->isVisible();
  return Control::Visible();
}

void QtControl::SetVisible(bool v) {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->setVisible(v);
  if (auto* a = qobject_cast<QAction*>(object_)) return a->setVisible(v);
  Control::SetVisible(v);
}

int QtControl::Value() const {
  if (auto* p = qobject_cast<QProgressBar*>(object_)) return p->value();
  return Control::Value();
}

void QtControl::SetValue(int v) {
  if (auto* p = qobject_cast<QProgressBar*>(object_)) return p->setValue(v);
  Control::SetValue(v);
}

int QtControl::Top() const {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->y() * kTwipsPerPixel;
  return Control::Top();
}

void QtControl::SetTop(int v) {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->move(w->x(), v / kTwipsPerPixel);
  Control::SetTop(v);
}

int QtControl::Height() const {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->height() * kTwipsPerPixel;
  return Control::Height();
}

void QtControl::SetHeight(int v) {
  if (auto* w = qobject_cast<QWidget*>(object_)) return w->resize(w->width(), v / kTwipsPerPixel);
  Control::SetHeight(v);
}

void QtControl::ClearItems() {
  if (auto* c = qobject_cast<QComboBox*>(object_)) return c->clear();
  Control::ClearItems();
}

void QtControl::AddItem(const std::string& v) {
  if (auto* c = qobject_cast<QComboBox*>(object_)) return c->addItem(Q(v));
  Control::AddItem(v);
}

std::vector<std::string> QtControl::Items() const {
  if (auto* c = qobject_cast<QComboBox*>(object_)) {
    std::vector<std::string> out;
    for (int i = 0; i < c->count(); ++i) out.push_back(S(c->itemText(i)));
    return out;
  }
  return Control::Items();
}

int QtControl::ListIndex() const {
  if (auto* c = qobject_cast<QComboBox*>(object_)) return c->currentIndex();
  return Control::ListIndex();
}

void QtControl::SetListIndex(int v) {
  if (auto* c = qobject_cast<QComboBox*>(object_)) return c->setCurrentIndex(v);
  Control::SetListIndex(v);
}

void QtControl::Repaint() {
  if (auto* w = qobject_cast<QWidget*>(object_)) w->repaint();
}

QtForm::QtForm(QWidget* window, const FormDesign& design) : Form(design.name), window_(window) {
  window_->installEventFilter(this);
  // A right click on the window, or on a control with no menu of its own, asks the logic.
  window_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(window_.get(), &QWidget::customContextMenuRequested, this,
          [this] { Raise("", FormEvent::ContextMenu); });
  for (const ControlDesign& s : design.controls) {
    QObject* object = window_->findChild<QObject*>(QString::fromStdString(s.name));
    if (object == nullptr) throw Error("The view of " + design.name + " has no " + s.name);
    controls_.push_back(std::make_unique<QtControl>(s.name, object));
    Wire(*controls_.back());
  }
}

QtForm::~QtForm() {
  // The widgets go first, without reporting anything to a logic that may be going too.
  window_->removeEventFilter(this);
  for (auto& c : controls_)
    if (QObject* o = c->Object()) {
      o->removeEventFilter(this);
      o->disconnect(this);
    }
  window_.reset();
}

void QtForm::Wire(QtControl& c) {
  QObject* o = c.Object();
  const std::string name = c.Name();
  if (auto* b = qobject_cast<QAbstractButton*>(o)) {
    connect(b, &QAbstractButton::clicked, this, [this, name] { Raise(name, FormEvent::Click); });
  } else if (auto* a = qobject_cast<QAction*>(o)) {
    connect(a, &QAction::triggered, this, [this, name] { Raise(name, FormEvent::Click); });
  } else if (auto* t = qobject_cast<QTimer*>(o)) {
    connect(t, &QTimer::timeout, this, [this, name] { Raise(name, FormEvent::Timer); });
  } else if (qobject_cast<QLineEdit*>(o) != nullptr) {
    o->installEventFilter(this);
  }
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.get()) {
    switch (event->type()) {
      case QEvent::Close:
        if (HasHandler("", FormEvent::CloseRequest)) {
          event->ignore();
          Raise("", FormEvent::CloseRequest);
          return true;
        }
        break;
      case QEvent::WindowActivate:
        Raise("", FormEvent::Activate);
        break;
      case QEvent::Resize:
      case QEvent::WindowStateChange:
        Raise("", FormEvent::Resize);
        break;
      default:
        break;
    }
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    int code = 0;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
      code = 13;
    else if (!key->text().isEmpty())
      code = static_cast<int>(key->text().at(0).unicode());
    if (code != 0) Raise(watched->objectName().toStdString(), FormEvent::KeyPress, code);
  }
  return false;  // the key goes on to the text box unchanged
}

std::vector<Control*> QtForm::Controls() const {
  std::vector<Control*> out;
  for (const auto& c : controls_) out.push_back(c.get());
  return out;
}

QObject* QtForm::Object(const std::string& control) const {
  for (const auto& c : controls_)
    if (c->Name() == control) return c->Object();
  return nullptr;
}

std::string QtForm::Caption() const { return window_->windowTitle().toStdString(); }
void QtForm::SetCaption(const std::string& v) {
  window_->setWindowTitle(QString::fromStdString(v));
}

void QtForm::Show() {
  if (!centred_) {
    centred_ = true;
    if (QScreen* screen = window_->screen())
      window_->move(screen->availableGeometry().center() - window_->rect().center());
  }
  window_->show();
  // The offscreen platform of tests and unattended runs has no stacking order to change.
  if (QGuiApplication::platformName() != "offscreen") window_->raise();
  window_->activateWindow();
}

void QtForm::Hide() { window_->hide(); }
bool QtForm::Visible() const { return window_->isVisible(); }

WindowState QtForm::State() const {
  return window_->isMinimized() ? WindowState::Minimized : WindowState::Normal;
}

void QtForm::SetState(WindowState s) {
  const Qt::WindowStates now = window_->windowState();
  window_->setWindowState(s == WindowState::Minimized ? (now | Qt::WindowMinimized)
                                                      : (now & ~Qt::WindowMinimized));
}

int QtForm::Width() const { return window_->frameGeometry().width() * kTwipsPerPixel; }
int QtForm::HeightTwips() const { return window_->frameGeometry().height() * kTwipsPerPixel; }

void QtForm::Resize(int width, int height) {
  const QRect frame = window_->frameGeometry(), client = window_->geometry();
  window_->resize(width / kTwipsPerPixel - (frame.width() - client.width()),
                  height / kTwipsPerPixel - (frame.height() - client.height()));
}

void QtForm::Close() {
  Form::Close();
  window_->hide();
}

void QtForm::PopupMenu(const std::string& menu) {
  Form::PopupMenu(menu);
  if (auto* m = Get<QMenu>(menu)) m->popup(QCursor::pos());
}

}  // namespace quo
