#include "probe.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "process.h"

namespace corvane::e2e {

namespace {

std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

ProbeRecord ParseLine(const std::string& line) {
  ProbeRecord record;
  std::istringstream fields(line);
  std::string field;
  std::getline(fields, record.kind, '\t');
  while (std::getline(fields, field, '\t')) {
    const size_t equals = field.find('=');
    if (equals == std::string::npos) throw std::runtime_error("probe printed a field without '=': " + line);
    record.fields[field.substr(0, equals)] = Unescape(field.substr(equals + 1));
  }
  return record;
}

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
  return text;
}

std::string WithoutAccessKeys(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

}  // namespace

const std::string& ProbeRecord::Text(const std::string& key) const {
  const auto found = fields.find(key);
  if (found == fields.end()) throw std::runtime_error("probe record \"" + kind + "\" has no field " + key);
  return found->second;
}

long long ProbeRecord::Number(const std::string& key) const {
  const std::string& text = Text(key);
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0') throw std::runtime_error("probe field " + key + "=" + text + " is no number");
  return value;
}

Rect ProbeRecord::Box(const std::string& key) const {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  char tail = 0;
  if (std::sscanf(Text(key).c_str(), "%d,%d,%d,%d%c", &left, &top, &right, &bottom, &tail) != 4) {
    throw std::runtime_error("probe field " + key + "=" + Text(key) + " is no rectangle");
  }
  return Rect::FromEdges(left, top, right, bottom);
}

std::vector<ProbeRecord> ProbeOutput::OfKind(const std::string& kind) const {
  std::vector<ProbeRecord> found;
  for (const ProbeRecord& record : records) {
    if (record.kind == kind) found.push_back(record);
  }
  return found;
}

namespace {

ProbeOutput ParseOutput(const std::string& text) {
  ProbeOutput output;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) output.records.push_back(ParseLine(line));
  }
  return output;
}

}  // namespace

ProbeOutput RunProbe(const std::vector<std::string>& args, Millis timeout) {
  std::vector<std::string> argv{WineProgram(), CORVANE_PROBE_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  // Wine's own error messages go to the probe's standard error, which a failure quotes: a probe
  // that Wine could not start or that crashed then says why.
  CommandResult result = RunCommand(argv, timeout, {"WINEDEBUG=-all,err+all"});
  // Now and then Wine's loader cannot lay out a new process's address space ("failed to map
  // the shared user data", a collision with what the kernel placed at random): the probe never
  // ran, and a second start lays it out afresh.
  if (result.status && !result.Succeeded() &&
      result.err.find("failed to map the shared user data") != std::string::npos) {
    result = RunCommand(argv, timeout, {"WINEDEBUG=-all,err+all"});
  }
  if (!result.status) {
    throw std::runtime_error("probe " + Joined(args) + " did not finish within " + std::to_string(timeout.count()) +
                             " ms");
  }
  if (!result.Succeeded()) {
    throw std::runtime_error("probe " + Joined(args) + " failed (" + result.status->Describe() + "): " + result.err);
  }
  return ParseOutput(result.out);
}

ChildProcess StartProbe(const std::vector<std::string>& args, const std::filesystem::path& output) {
  std::vector<std::string> argv{WineProgram(), CORVANE_PROBE_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return ChildProcess::Start(argv, {}, output);
}

ProbeOutput ReadProbeOutput(const std::filesystem::path& output) {
  std::ifstream file(output, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::string all = text.str();
  all.erase(all.find_last_of('\n') == std::string::npos ? 0
                                                        : all.find_last_of('\n') + 1);  // a line still being written
  return ParseOutput(all);
}

std::vector<WindowFacts> ProbeWindows(const std::vector<std::string>& selection) {
  std::vector<std::string> args{"windows"};
  args.insert(args.end(), selection.begin(), selection.end());
  std::vector<WindowFacts> windows;
  for (const ProbeRecord& r : RunProbe(args).OfKind("window")) {
    WindowFacts w;
    w.hwnd = static_cast<std::uint64_t>(r.Number("hwnd"));
    w.pid = static_cast<int>(r.Number("pid"));
    w.title = r.Text("title");
    w.className = r.Text("class");
    w.rect = r.Box("rect");
    w.client = r.Box("client");
    w.style = static_cast<std::uint32_t>(r.Number("style"));
    w.exStyle = static_cast<std::uint32_t>(r.Number("exstyle"));
    w.visible = r.Flag("visible");
    w.enabled = r.Flag("enabled");
    w.topmost = r.Flag("topmost");
    w.foreground = r.Flag("foreground");
    w.owner = static_cast<std::uint64_t>(r.Number("owner"));
    w.dpi = static_cast<int>(r.Number("dpi"));
    if (r.Has("alpha")) w.alpha = static_cast<int>(r.Number("alpha"));
    w.classIcon.readable = r.Text("icon") != "unreadable";
    w.classIcon.present = w.classIcon.readable && r.Flag("icon");
    if (w.classIcon.present) {
      w.classIcon.width = static_cast<int>(r.Number("icon_width"));
      w.classIcon.height = static_cast<int>(r.Number("icon_height"));
      w.classIcon.bitsPerPixel = static_cast<int>(r.Number("icon_bpp"));
    }
    windows.push_back(w);
  }
  return windows;
}

std::optional<WindowFacts> ProbeWindow(const std::string& title) {
  for (const WindowFacts& w : ProbeWindows({"--title", title})) {
    if (w.title == title) return w;
  }
  return std::nullopt;
}

std::vector<Rgb> ProbeSysColors(const std::vector<int>& indexes) {
  std::vector<std::string> args{"syscolor"};
  for (int index : indexes) args.push_back(std::to_string(index));
  std::vector<Rgb> colors;
  for (const ProbeRecord& r : RunProbe(args).OfKind("syscolor")) colors.push_back(Rgb::Parse(r.Text("rgb")));
  if (colors.size() != indexes.size())
    throw std::runtime_error("probe syscolor answered for the wrong number of colours");
  return colors;
}

Rgb ProbeSysColor(int index) { return ProbeSysColors({index}).front(); }

Point ProbeCursor() {
  const auto records = RunProbe({"cursor"}).OfKind("cursor");
  if (records.size() != 1) throw std::runtime_error("probe cursor printed no position");
  return {static_cast<int>(records[0].Number("x")), static_cast<int>(records[0].Number("y"))};
}

std::vector<TooltipFacts> ProbeTooltips() {
  std::vector<TooltipFacts> tips;
  for (const ProbeRecord& r : RunProbe({"tooltip"}).OfKind("tooltip")) tips.push_back({r.Box("rect"), r.Text("text")});
  return tips;
}

const ControlFacts* DialogFacts::Find(const std::string& className, const std::string& text) const {
  for (const ControlFacts& c : controls) {
    if (c.className == className && WithoutAccessKeys(c.text) == WithoutAccessKeys(text)) return &c;
  }
  return nullptr;
}

std::vector<DialogFacts> ProbeDialogs() {
  std::vector<DialogFacts> dialogs;
  for (const ProbeRecord& r : RunProbe({"dialog"}).records) {
    if (r.kind == "dialog") {
      DialogFacts d;
      d.hwnd = static_cast<std::uint64_t>(r.Number("hwnd"));
      d.pid = static_cast<int>(r.Number("pid"));
      d.title = r.Text("title");
      d.rect = r.Box("rect");
      d.owner = static_cast<std::uint64_t>(r.Number("owner"));
      dialogs.push_back(d);
    } else if (r.kind == "control" && !dialogs.empty()) {
      ControlFacts c;
      c.hwnd = static_cast<std::uint64_t>(r.Number("hwnd"));
      c.parent = static_cast<std::uint64_t>(r.Number("parent"));
      c.className = r.Text("class");
      c.id = static_cast<int>(r.Number("id"));
      c.text = r.Text("text");
      c.visible = r.Flag("visible");
      c.enabled = r.Flag("enabled");
      c.rect = r.Box("rect");
      dialogs.back().controls.push_back(c);
    }
  }
  return dialogs;
}

void ProbeClickButton(const std::string& dialog, const std::string& button) {
  RunProbe({"click-button", dialog, button});
}

void ProbeClickButton(const DialogFacts& dialog, const std::string& button) {
  char handle[32];
  std::snprintf(handle, sizeof handle, "0x%llx", static_cast<unsigned long long>(dialog.hwnd));
  RunProbe({"click-button", handle, button});
}

void ProbeSetText(const std::string& dialog, int controlId, const std::string& text) {
  RunProbe({"set-text", dialog, std::to_string(controlId), text});
}

}  // namespace corvane::e2e
