#include "Environment.h"

#include <cstdlib>

namespace e2e
{
    Environment Environment::minimal()
    {
        Environment environment;

        const char* const path = std::getenv ("PATH");
        environment.set ("PATH", path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
        environment.set ("LANG", "C.UTF-8");

        if (const char* const tmp = std::getenv ("TMPDIR"))
            environment.set ("TMPDIR", tmp);

        return environment;
    }

    Environment& Environment::set (const std::string& name, const std::string& value)
    {
        variables[name] = value;
        return *this;
    }

    std::string Environment::get (const std::string& name) const
    {
        const auto found = variables.find (name);
        return found != variables.end() ? found->second : std::string();
    }

    std::vector<std::string> Environment::toStrings() const
    {
        std::vector<std::string> result;
        result.reserve (variables.size());

        for (const auto& [name, value] : variables)
            result.push_back (name + "=" + value);

        return result;
    }
}
