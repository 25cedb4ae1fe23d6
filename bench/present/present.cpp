// The presenter against decoding alone and against mpv, in one run:
// 1. frames per second of nerlaplay --bench (Dubois, 1920x1080 offscreen),
//    of decoding alone and of mpv's stereo3d filter without timing;
// 2. and 3. CPU seconds and peak memory of 10 s of real-time playback into a
//    1280x720 window, nerlaplay against mpv with the same view mode.
// Run it inside a display session (scripts/test-session).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_timing.h"

extern char** environ;

namespace {

struct Run {
    bool ok = false;
    double wall = 0.0;
    double cpu = 0.0;
    long peakKb = 0;
    std::string output;
};

// Runs the command to its end, with its output captured.
Run run(const std::vector<std::string>& command) {
    Run result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& arg : command) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const bench::Clock::time_point start = bench::Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return result;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.wall = bench::secondsSince(start);
    result.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
    result.peakKb = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

// "bench: N frames in S s: F frames/s" from nerlaplay.
bool benchLine(const std::string& output, long& frames, double& seconds) {
    const size_t at = output.rfind("bench: ");
    return at != std::string::npos &&
           std::sscanf(output.c_str() + at, "bench: %ld frames in %lf s", &frames, &seconds) == 2;
}

void fail(const char* what, const Run& r) {
    std::fprintf(stderr, "%s failed:\n%s\n", what,
                 r.output.substr(r.output.size() > 2000 ? r.output.size() - 2000 : 0).c_str());
}

}  // namespace

int main() {
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_present needs a display (run it under scripts/test-session)\n");
        return 2;
    }
    const std::string file = NERLA_FIXTURES "/sbs-1080p.mp4";
    const std::string player = NERLAPLAY;
    const std::vector<std::string> mpvCommon = {
        "mpv",           "--no-config",          "--no-audio",
        "--vo=gpu",      "--gpu-context=x11egl", "--vf=stereo3d=sbsl:arcd",
        "--really-quiet"};

    // 1. As fast as each goes.
    const Run nerla =
        run({player, "--layout", "sbs", "--bench", "--mode", "11", "--size", "1920x1080", file});
    long frames = 0;
    double playSeconds = 0.0;
    if (!nerla.ok || !benchLine(nerla.output, frames, playSeconds) || frames <= 0) {
        fail("nerlaplay --bench", nerla);
        return 1;
    }
    const Run decode = run({"gst-launch-1.0", "-q", "filesrc", "location=" + file, "!", "decodebin",
                            "!", "fakesink", "sync=false"});
    std::vector<std::string> mpvFast = mpvCommon;
    mpvFast.insert(mpvFast.end(), {"--untimed", "--geometry=1920x1080", file});
    const Run mpv = run(mpvFast);
    if (!decode.ok || !mpv.ok) {
        fail(decode.ok ? "mpv" : "decoding alone", decode.ok ? mpv : decode);
        return 1;
    }
    const double nerlaFps = frames / nerla.wall;
    const double decodeFps = frames / decode.wall;
    const double mpvFps = frames / mpv.wall;
    std::printf("1. %ld frames of 1920x1080 side by side, Dubois anaglyph, whole runs:\n", frames);
    std::printf(
        "   nerlaplay --bench (1920x1080 offscreen) %8.1f frames/s (%.1f from play to end)\n",
        nerlaFps, frames / playSeconds);
    std::printf("   decoding alone                          %8.1f frames/s\n", decodeFps);
    std::printf("   mpv --untimed stereo3d=sbsl:arcd        %8.1f frames/s\n", mpvFps);
    std::printf("   nerlaplay / mpv %.2fx (goal 3x), nerlaplay / decoding %.2f (goal 0.5)\n",
                nerlaFps / mpvFps, nerlaFps / decodeFps);

    // 2. and 3. Real time, twice through the 5-second clip.
    const Run nerlaPlay = run({player, "--layout", "sbs", "--mode", "11", "--window", "--size",
                               "1280x720", "--loops", "2", file});
    std::vector<std::string> mpvReal = mpvCommon;
    mpvReal.insert(mpvReal.end(), {"--geometry=1280x720", "--loop-file=1", file});
    const Run mpvPlay = run(mpvReal);
    if (!nerlaPlay.ok || !mpvPlay.ok) {
        fail(nerlaPlay.ok ? "mpv playback" : "nerlaplay playback",
             nerlaPlay.ok ? mpvPlay : nerlaPlay);
        return 1;
    }
    std::printf("2. 10 s real-time playback into 1280x720, Dubois anaglyph:\n");
    std::printf("   CPU: nerlaplay %.2f s, mpv %.2f s: nerlaplay / mpv %.2f (goal below 1)\n",
                nerlaPlay.cpu, mpvPlay.cpu, nerlaPlay.cpu / mpvPlay.cpu);
    std::printf("   wall: nerlaplay %.2f s, mpv %.2f s\n", nerlaPlay.wall, mpvPlay.wall);
    std::printf("3. peak resident memory: nerlaplay %.1f MiB, mpv %.1f MiB: ratio %.2f\n",
                nerlaPlay.peakKb / 1024.0, mpvPlay.peakKb / 1024.0,
                static_cast<double>(nerlaPlay.peakKb) / mpvPlay.peakKb);
    return 0;
}
