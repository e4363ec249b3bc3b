#include "window/form.h"

#include "core/error.h"
#include "window/caption_log.h"

namespace quo {

Control* Form::Find(const std::string& name) const {
  for (Control* c : Controls())
    if (c->Name() == name) return c;
  return nullptr;
}

Control& Form::operator[](const std::string& name) const {
  Control* c = Find(name);
  if (c == nullptr) throw Error("No control " + name + " on " + Name());
  return *c;
}

bool Form::Raise(const std::string& control, FormEvent event, int arg) {
  auto it = handlers_.find({control, event});
  if (it == handlers_.end()) return false;
  if (event == FormEvent::Click || event == FormEvent::KeyPress) {
    const Control* c = Find(control);
    if (c != nullptr && !c->Enabled()) return false;
  }
  Handler h = it->second;  // a handler may reconnect or close the form while it runs
  h(arg);
  return true;
}

MemoryForm::MemoryForm(const FormDesign& design) : Form(design.name) {
  SetCaption(design.caption);
  Resize(design.clientWidth, design.clientHeight);
  for (const ControlDesign& s : design.controls) {
    auto c = std::make_unique<Control>(s.name);
    c->SetCaption(s.caption);
    if (s.kind == ControlKind::TextBox) c->SetText(s.caption);
    c->SetTop(s.top);
    c->SetHeight(s.height);
    c->SetVisible(s.visible);
    if (s.kind == ControlKind::Timer) c->SetEnabled(false);
    controls_.push_back(std::move(c));
  }
}

std::vector<Control*> MemoryForm::Controls() const {
  std::vector<Control*> out;
  for (const auto& c : controls_) out.push_back(c.get());
  return out;
}

namespace {

class LoggedControl : public Control {
 public:
  LoggedControl(const Control& c, std::FILE* log, std::string prefix)
      : Control(c), log_(log, std::move(prefix)) {}
  void SetCaption(const std::string& v) override {
    log_.Log(v);
    Control::SetCaption(v);
  }

 private:
  CaptionLog log_;
};

}  // namespace

void MemoryForm::LogCaptions(const std::string& control, std::FILE* log, std::string prefix) {
  for (auto& c : controls_)
    if (c->Name() == control) c = std::make_unique<LoggedControl>(*c, log, std::move(prefix));
}

std::unique_ptr<Form> MemoryFormFactory::Create(const std::string& name) {
  if (name == "frmParam") return std::make_unique<MemoryForm>(SettingsDialogDesign());
  return std::make_unique<MemoryForm>(MainWindowDesign());
}

}  // namespace quo
