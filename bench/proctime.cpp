// Runs a program several times and reports, per run, the time from just
// before exec to its first presented frame (when flip_probe is preloaded
// and reports one) and its peak resident memory.
//
//   proctime RUNS [--probe LIBRARY] -- PROGRAM ARGS...
//
// Prints "run N first_frame_ms X maxrss_kib Y cpu_ms Z" per run (Z: the
// process's user and system time), then the medians.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static long long Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: proctime RUNS [--probe LIBRARY] -- PROGRAM ARGS...\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    const char* probe = nullptr;
    int i = 2;
    if (std::strcmp(argv[i], "--probe") == 0) {
        probe = argv[i + 1];
        i += 2;
    }
    if (i >= argc || std::strcmp(argv[i], "--") != 0) return 2;
    char** command = argv + i + 1;

    char outPath[] = "/tmp/proctime-XXXXXX";
    int fd = mkstemp(outPath);
    if (fd < 0) return 2;
    close(fd);

    std::vector<double> firstFrame, rss, cpuMs;
    for (int run = 0; run < runs; run++) {
        std::remove(outPath);
        long long start = Now();
        pid_t child = fork();
        if (child == 0) {
            if (probe) {
                setenv("LD_PRELOAD", probe, 1);
                setenv("FLIP_PROBE_OUT", outPath, 1);
                setenv("FLIP_PROBE_FRAMES", "1", 1);
            }
            execvp(command[0], command);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed (status %d)\n", command[0], status);
            return 1;
        }
        double ms = -1;
        if (FILE* f = probe ? std::fopen(outPath, "r") : nullptr) {
            long long called = 0, t = 0;  // the probe notes the call and the return
            if (std::fscanf(f, "%lld %lld", &called, &t) == 2) ms = (t - start) / 1e6;
            std::fclose(f);
        }
        double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
        std::printf("run %d first_frame_ms %.3f maxrss_kib %ld cpu_ms %.3f\n", run, ms, usage.ru_maxrss, cpu);
        cpuMs.push_back(cpu);
        if (ms >= 0) firstFrame.push_back(ms);
        rss.push_back(static_cast<double>(usage.ru_maxrss));
    }
    std::remove(outPath);
    std::printf("median first_frame_ms %.3f maxrss_kib %.0f cpu_ms %.3f\n", Median(firstFrame), Median(rss),
                Median(cpuMs));
    return 0;
}
