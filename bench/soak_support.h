#pragma once
// What the soak benchmarks measure of their own process on Linux: resident memory,
// CPU time of one thread, of the threads with a given name prefix, of given
// threads and of the whole process, and latency samples with their quantiles.

#include <dirent.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace valdro::bench {

inline double ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// The calling thread's CPU seconds.
inline double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The whole process's CPU seconds, user and system.
inline double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// The threads of this process now.
inline std::set<pid_t> Threads() {
    std::set<pid_t> ids;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* e = readdir(tasks)) {
            if (e->d_name[0] != '.') {
                ids.insert(static_cast<pid_t>(std::stol(e->d_name)));
            }
        }
        closedir(tasks);
    }
    return ids;
}

inline std::string ThreadName(pid_t id) {
    std::string comm;
    std::getline(std::ifstream("/proc/self/task/" + std::to_string(id) + "/comm"), comm);
    return comm;
}

// CPU seconds of one thread of this process (0 once it has ended).
inline double ThreadCpuSeconds(pid_t id) {
    std::string stat;
    std::getline(std::ifstream("/proc/self/task/" + std::to_string(id) + "/stat"), stat);
    if (stat.empty()) {
        return 0;
    }
    // Fields after the ")" of the name: state is field 3; utime and stime are 14 and 15.
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    const std::vector<std::string> f{std::istream_iterator<std::string>(rest), {}};
    return f.size() > 12
               ? (std::stod(f[11]) + std::stod(f[12])) / static_cast<double>(sysconf(_SC_CLK_TCK))
               : 0;
}

// CPU seconds of the threads whose name starts with prefix ("bridge-").
inline double NamedThreadsCpuSeconds(const std::string& prefix) {
    double total = 0;
    for (const pid_t id : Threads()) {
        if (ThreadName(id).rfind(prefix, 0) == 0) {
            total += ThreadCpuSeconds(id);
        }
    }
    return total;
}

struct Latencies {
    std::vector<double> us;
    void Add(std::chrono::steady_clock::duration d) {
        us.push_back(std::chrono::duration<double, std::micro>(d).count());
    }
    double Mean() const {
        double sum = 0;
        for (const double v : us) {
            sum += v;
        }
        return us.empty() ? 0 : sum / static_cast<double>(us.size());
    }
    double Quantile(double q) {
        if (us.empty()) {
            return 0;
        }
        std::sort(us.begin(), us.end());
        return us[static_cast<std::size_t>(q * static_cast<double>(us.size() - 1))];
    }
};

}  // namespace valdro::bench
