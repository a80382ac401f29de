#include "controls/runtime.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "controls/form.h"

namespace corvane {

class ControlRuntime::HandlerScope {
 public:
  explicit HandlerScope(ControlRuntime& runtime) : runtime_(runtime) { ++runtime_.handlerDepth_; }
  ~HandlerScope() { --runtime_.handlerDepth_; }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  ControlRuntime& runtime_;
};

ControlRuntime::ControlRuntime(Platform& platform, std::string errorTitle)
    : platform_(platform), errorTitle_(std::move(errorTitle)) {}

ControlRuntime::~ControlRuntime() { retired_.clear(); }

void ControlRuntime::RunHandler(const std::function<void()>& handler) {
  const HandlerScope scope(*this);
  try {
    handler();
    const std::vector<Form*> forms = liveForms_;
    for (Form* f : forms) {
      if (IsLive(f)) f->SettleResize();
    }
  } catch (const std::exception& e) {
    // Nothing caught it on the way: the program cannot go on safely.
    platform_.ShowMessage(0, std::string("Corvane has to close: ") + e.what(), errorTitle_);
    End();
  }
}

void ControlRuntime::RunModalLoop(const std::function<bool()>& done) {
  const HandlerScope scope(*this);
  platform_.RunModalLoop(done);
}

void ControlRuntime::Retire(std::unique_ptr<Form> form) { retired_.push_back(std::move(form)); }

void ControlRuntime::FreeRetiredForms() {
  if (!HandlerRunning()) retired_.clear();
}

void ControlRuntime::UnloadAll() {
  const std::vector<Form*> forms = liveForms_;
  for (Form* f : forms) {
    if (IsLive(f)) f->Unload();
  }
}

bool ControlRuntime::IsLive(const Form* form) const {
  return std::find(liveForms_.begin(), liveForms_.end(), form) != liveForms_.end();
}

void ControlRuntime::End() {
  platform_.EndProgram();
  std::abort();  // a platform's EndProgram never returns
}

}  // namespace corvane
