// Setting and removing environment variables inside a test, on either system
// (Windows' C runtime has no setenv).
#pragma once
#include <stdlib.h>

#include <string>

namespace gh::test {

inline void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetVariable(const char* name) {
#ifdef _WIN32
  ::_putenv_s(name, "");  // an empty value removes the variable
#else
  ::unsetenv(name);
#endif
}

}  // namespace gh::test
