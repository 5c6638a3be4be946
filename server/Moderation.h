// The moderation commands of the server program: list rows, take them off the
// page, put them back, delete them; each change is logged.
#pragma once
#include <functional>
#include <ostream>
#include <string>

#include "server/ServerConfig.h"
#include "server/Storage.h"

namespace gh::scores {

// Runs config.command on `storage`: lists to `out`, logs every change through
// `log`. The exit code: 0 done, 1 when no row matched.
int Moderate(const ServerConfig& config, Storage& storage, std::ostream& out,
             const std::function<void(const std::string&)>& log);

}  // namespace gh::scores
