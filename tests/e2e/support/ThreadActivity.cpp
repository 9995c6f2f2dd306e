#include "ThreadActivity.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace e2e
{
    namespace
    {
        bool readCounters (const std::filesystem::path& task, ThreadCounters& counters)
        {
            std::ifstream comm (task / "comm");
            if (! std::getline (comm, counters.name))
                return false;

            std::ifstream status (task / "status");
            std::string line;
            int found = 0;

            while (std::getline (status, line))
            {
                const auto colon = line.find (':');
                if (colon == std::string::npos)
                    continue;

                const auto key = line.substr (0, colon);

                if (key == "voluntary_ctxt_switches")
                    counters.voluntarySwitches = std::stoll (line.substr (colon + 1));
                else if (key == "nonvoluntary_ctxt_switches")
                    counters.involuntarySwitches = std::stoll (line.substr (colon + 1));
                else
                    continue;

                ++found;
            }

            std::ifstream schedstat (task / "schedstat");
            long long runNanoseconds = 0;
            if (schedstat >> runNanoseconds)
            {
                counters.cpuNanoseconds = runNanoseconds;
                return found == 2;
            }

            // stat: "tid (name) state ..."; the name may hold spaces and
            // brackets, so fields are counted from the last ')'. utime and
            // stime are fields 14 and 15, i.e. the 12th and 13th after it.
            std::ifstream statFile (task / "stat");
            std::string stat;
            std::getline (statFile, stat);
            const auto close = stat.rfind (')');
            if (close == std::string::npos)
                return false;

            std::istringstream fields (stat.substr (close + 1));
            std::string field;
            long long utime = 0, stime = 0;

            for (int i = 1; i <= 13 && fields >> field; ++i)
            {
                if (i == 12) utime = std::stoll (field);
                if (i == 13) stime = std::stoll (field);
            }

            const double ticksPerSecond = static_cast<double> (::sysconf (_SC_CLK_TCK));
            counters.cpuNanoseconds = static_cast<long long> (static_cast<double> (utime + stime) * 1e9 / ticksPerSecond);
            return found == 2;
        }
    }

    std::map<pid_t, ThreadCounters> readThreadCounters (pid_t pid)
    {
        std::map<pid_t, ThreadCounters> threads;
        std::error_code error;

        for (const auto& entry : std::filesystem::directory_iterator ("/proc/" + std::to_string (pid) + "/task", error))
        {
            ThreadCounters counters;

            try
            {
                if (readCounters (entry.path(), counters))
                    threads[static_cast<pid_t> (std::stol (entry.path().filename().string()))] = counters;
            }
            catch (const std::exception&)
            {
                // The thread ended half-way through: it is left out.
            }
        }

        return threads;
    }

    std::map<pid_t, ThreadRates> ratesBetween (const std::map<pid_t, ThreadCounters>& before,
                                               const std::map<pid_t, ThreadCounters>& after,
                                               double seconds)
    {
        std::map<pid_t, ThreadRates> rates;
        for (const auto& [tid, end] : after)
        {
            const auto start = before.find (tid);
            if (start == before.end())
                continue;

            ThreadRates r;
            r.name = end.name;
            const auto voluntary = end.voluntarySwitches - start->second.voluntarySwitches;
            const auto involuntary = end.involuntarySwitches - start->second.involuntarySwitches;
            r.wakeUpsPerSecond = static_cast<double> (voluntary + involuntary) / seconds;
            r.voluntaryPerSecond = static_cast<double> (voluntary) / seconds;
            r.cpuPercent = 100.0 * static_cast<double> (end.cpuNanoseconds - start->second.cpuNanoseconds) / 1e9 / seconds;
            rates[tid] = r;
        }

        return rates;
    }
}
