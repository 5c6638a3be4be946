#include "server/Moderation.h"

#include <ctime>

namespace gh::scores {

namespace {

std::string Time(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
  return text;
}

std::string Describe(const RowFilter& f) {
  std::string what;
  if (f.id != 0) what += "id " + std::to_string(f.id);
  if (!f.name.empty()) what += std::string(what.empty() ? "" : ", ") + "name \"" + f.name + "\"";
  if (!f.address.empty()) what += std::string(what.empty() ? "" : ", ") + "address " + f.address;
  return what;
}

}  // namespace

int Moderate(const ServerConfig& config, Storage& storage, std::ostream& out,
             const std::function<void(const std::string&)>& log) {
  if (config.command == "rows") {
    const auto rows = storage.FindRows(config.filter, config.limit);
    out << "id\tscore\tname\tcountry\taddress\ttime (UTC)\tstate\n";
    for (const auto& r : rows)
      out << r.id << '\t' << r.score << '\t' << r.name << '\t' << r.country << '\t' << r.address
          << '\t' << Time(r.time) << '\t' << (r.hidden ? "hidden" : "shown") << '\n';
    return rows.empty() ? 1 : 0;
  }
  std::vector<RowFilter> targets;
  for (int64_t id : config.ids) targets.push_back(RowFilter{id, {}, {}});
  if (targets.empty()) targets.push_back(config.filter);
  int64_t total = 0;
  for (const RowFilter& f : targets) {
    if (f.Empty()) continue;  // never every row at once
    int64_t changed = 0;
    const char* verb = "";
    if (config.command == "hide") {
      changed = storage.SetHidden(f, true);
      verb = "hid";
    } else if (config.command == "unhide") {
      changed = storage.SetHidden(f, false);
      verb = "showed again";
    } else if (config.command == "delete") {
      changed = storage.DeleteRows(f);
      verb = "deleted";
    }
    log(std::string("moderation: ") + verb + " " + std::to_string(changed) + " rows (" +
        Describe(f) + ")");
    total += changed;
  }
  return total > 0 ? 0 : 1;
}

}  // namespace gh::scores
