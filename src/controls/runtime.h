// The control model's running state: how deep handlers are nested, the forms alive, and those
// unloaded but kept until no handler can still run inside them. `main` owns one beside the
// platform it runs on; every form is made on one and reaches the platform through it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

class Form;

class ControlRuntime {
 public:
  // `errorTitle` titles the message that reports an error no handler caught.
  ControlRuntime(Platform& platform, std::string errorTitle);
  // Frees the forms kept after their unload. The forms still alive belong to their owners,
  // which go first.
  ~ControlRuntime();
  ControlRuntime(const ControlRuntime&) = delete;
  ControlRuntime& operator=(const ControlRuntime&) = delete;

  Platform& System() const { return platform_; }

  // Runs a handler the way the window system does: an error that escapes it shows the error
  // and ends the program. When it ends, each form whose size it changed settles. Every
  // delivery from the window system (input, painting, tooltip queries) comes through here.
  void RunHandler(const std::function<void()>& handler);
  // True while any handler or modal loop is running.
  bool HandlerRunning() const { return handlerDepth_ > 0; }
  // Runs the platform's modal loop as a handler would, so that forms unloaded meanwhile are
  // kept until it returns.
  void RunModalLoop(const std::function<bool()>& done);

  // Keeps an unloaded form alive until no handler can still be running inside it.
  void Retire(std::unique_ptr<Form> form);
  // Frees the retired forms, unless a handler is running.
  void FreeRetiredForms();
  // Unloads every form that is still loaded, while the platform is still there to hear of it.
  void UnloadAll();

  const std::vector<Form*>& LiveForms() const { return liveForms_; }
  bool IsLive(const Form* form) const;

  // Ends the program at once through the platform.
  [[noreturn]] void End();

 private:
  friend class Form;  // forms enlist and leave as they are made and freed
  class HandlerScope;

  Platform& platform_;
  std::string errorTitle_;
  int handlerDepth_ = 0;
  std::vector<Form*> liveForms_;  // every Form object in existence, loaded or not
  std::vector<std::unique_ptr<Form>> retired_;
};

// A window that is made and loaded on first reference and can be unloaded; a reference after
// an unload makes a fresh one with `make`.
template <class F>
class FormSlot {
 public:
  explicit FormSlot(std::function<std::unique_ptr<F>()> make) : make_(std::move(make)) {}

  F& operator()() {
    if (!form_ || form_->Unloaded()) {
      Retire();
      form_ = make_();
      form_->Load();
    }
    return *form_;
  }
  bool Loaded() const { return form_ && !form_->Unloaded(); }
  // The form, loaded or not, or nullptr when none has been made.
  F* Current() const { return form_.get(); }
  // Hands the form to its runtime, to be freed once no handler runs inside it.
  void Retire() {
    if (form_) form_->Runtime().Retire(std::unique_ptr<Form>(form_.release()));
  }

 private:
  std::function<std::unique_ptr<F>()> make_;
  std::unique_ptr<F> form_;
};

}  // namespace corvane
