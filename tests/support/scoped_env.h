// Sets environment variables for one test and puts back what was there.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const std::string& name, const std::string& value) { Set(name, value); }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                Put(it->first, *it->second);
            else
                Remove(it->first);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const std::string& name, const std::string& value) {
        Save(name);
        Put(name, value);
    }

    void Unset(const std::string& name) {
        Save(name);
        Remove(name);
    }

private:
    // Windows has no setenv; its _putenv_s with an empty value removes the
    // variable, so an empty value cannot be set there.
#ifdef _WIN32
    static void Put(const std::string& name, const std::string& value) { ::_putenv_s(name.c_str(), value.c_str()); }
    static void Remove(const std::string& name) { ::_putenv_s(name.c_str(), ""); }
#else
    static void Put(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
    static void Remove(const std::string& name) { ::unsetenv(name.c_str()); }
#endif

    void Save(const std::string& name) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
