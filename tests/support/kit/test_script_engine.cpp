#include "tests/support/kit/test_script_engine.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "base/reflection/prop_access.h"
#include "base/reflection/variant.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/event.h"
#include "engine/core/object_factory.h"
#include "engine/shell/applet.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestScriptEngine)

namespace {

std::u16string Trim(std::u16string s) {
  while (!s.empty() && s.front() == u' ') s.erase(s.begin());
  while (!s.empty() && s.back() == u' ') s.pop_back();
  return s;
}

// The first word and the rest.
std::pair<std::u16string, std::u16string> Split(const std::u16string& s) {
  const auto blank = s.find(u' ');
  if (blank == std::u16string::npos) return {s, u""};
  return {s.substr(0, blank), Trim(s.substr(blank + 1))};
}

}  // namespace

TTestScriptEngine::~TTestScriptEngine() {
  for (TScript* s : live_) s->Free();
}

bool TTestScriptEngine::CallScript(const std::u16string& text) {
  calls.push_back(text);
  auto* applet = dynamic_cast<Applet*>(Owner());
  BaseObject* current = applet && applet->GetEvent() ? applet->GetEvent()->ParamThis() : nullptr;
  TWeak<BaseObject> alive(current);
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find(u';', start);
    const std::u16string command = Trim(text.substr(start, end == std::u16string::npos ? end : end - start));
    if (!command.empty()) Run(alive.Get(), command);
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return true;
}

void TTestScriptEngine::Run(BaseObject* current, std::u16string command) {
  auto* applet = dynamic_cast<Applet*>(Owner());
  auto [verb, rest] = Split(command);
  if (verb == u"at") {
    auto [name, inner] = Split(rest);
    Run(applet ? applet->findByName(name) : nullptr, inner);
    return;
  }
  if (verb == u"log") {
    EngineLog(rest);
  } else if (verb == u"terminate") {
    if (applet) applet->terminate();
  } else if (verb == u"dispose") {
    BaseObject* target = rest.empty() ? current : (applet ? applet->findByName(rest) : nullptr);
    if (target) target->dispose();
  } else if (!current) {
    EngineError(u"no current object for " + command);
  } else if (verb == u"set") {
    auto [prop, value] = Split(rest);
    try {
      SetPropValue(*current, NarrowLatin1(prop), Variant(value));
    } catch (const std::exception& e) {
      EngineError(WidenLatin1(e.what()));
    }
  } else if (verb == u"call") {
    auto [method, arg] = Split(rest);
    if (const TMethodInfo* m = current->ClassType()->FindMethod(NarrowLatin1(method))) {
      std::vector<Variant> args;
      if (!arg.empty()) args.emplace_back(arg);
      try {
        m->Invoke(*current, args);
      } catch (const std::exception& e) {
        EngineError(WidenLatin1(e.what()));
      }
    } else {
      EngineError(u"Invalide function call " + method);
    }
  } else if (verb == u"new") {
    auto [cls, name] = Split(rest);
    if (BaseObject* made = CreateObject(NarrowLatin1(cls), current); made && !name.empty()) made->SetName(name);
  } else if (verb == u"wait") {
    current->Wait(StrToFloat(rest));
  } else {
    EngineError(u"unknown command " + command);
  }
}

TScript* TTestScriptEngine::LoadScript(TResourceMan*, const std::u16string& fileName) {
  if (!scriptFiles.count(fileName)) return nullptr;
  auto* script = new TScript(TCreateContext(this));
  live_.push_back(script);
  return script;
}

void TTestScriptEngine::FreeScript(TScript* script) {
  const auto it = std::find(live_.begin(), live_.end(), script);
  if (it == live_.end()) return;
  live_.erase(it);
  freedScripts.push_back(u"freed");
  script->Free();
}

void TTestScriptEngine::RegisterVariable(const std::u16string& name, const std::u16string&, TObject*) {
  variables.push_back(name);
}

}  // namespace corvane::test
