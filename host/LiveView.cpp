#include "host/LiveView.h"

#include <cstdio>

#include "host/HostErrors.h"

namespace dialforge_host {

namespace {

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

std::string LiveView::Line(const std::string& event) const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  char time[32];
  std::snprintf(time, sizeof time, "%7lld ms  ", static_cast<long long>(elapsed.count()));
  return time + event;
}

std::string LiveView::Line(const ChangeReport& change) const {
  std::string text = change.operation != nullptr ? std::string(change.operation->journalLabel) +
                                                       " " + change.operation->name
                                                 : "User " + change.userAction;
  for (std::size_t at = 0; at < change.arguments.size(); ++at) {
    text += (at == 0 ? "(" : ", ") + change.arguments[at];
  }
  if (!change.arguments.empty()) {
    text += ")";
  }
  if (change.result != kADOBESDK_NoError) {
    const std::string meaning = CodeMeaning(change.result);
    text += ": refused with '" + CodeText(change.result) + "'";
    if (!meaning.empty()) {
      text += " (" + meaning + ")";
    }
  } else if (!change.kept.empty()) {
    text += ": clamped, kept " + change.kept;
  }
  return Line(text);
}

void LiveView::Watch(SimulatedHost& host) const {
  host.ObserveChanges([this](const ChangeReport& change) { Print(Line(change)); });
}

void LiveView::Show(const std::string& event) const {
  Print(Line(event));
}

}  // namespace dialforge_host
