#pragma once

#include <string>
#include <vector>

namespace mvx {

// The login session ids to ask logind for, in order, when it cannot tell the
// session by the process (a program started by a user service or inside a
// sandbox): the launcher's XDG_SESSION_ID, then the kernel's audit session
// id (/proc/self/sessionid), which logind uses as the session's id where
// auditing is on. Empty and unset ids are left out, and so is a repeat.
std::vector<std::string> loginSessionIds(const std::string& xdgSessionId, const std::string& auditSessionText);

} // namespace mvx
