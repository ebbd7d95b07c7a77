// Stand-in for a stream engine program. Once started it appends one line to
// "engine.log" in its working folder, saying which engine it is (its own
// program name), its process id and its working folder, then runs until it
// is ended. The panel reads nothing from its engines, so the log is the proof
// that the right program started in the right folder. It says the same on
// its standard output and error, which the panel is expected to discard.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <process.h>
#define standin_getpid _getpid
#else
#include <unistd.h>
#define standin_getpid getpid
#endif

int main(int argc, char *argv[])
{
    namespace fs = std::filesystem;
    const std::string engine =
        argc > 0 ? fs::path(argv[0]).filename().string() : std::string("engine");
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    const std::string line =
        engine + " pid " + std::to_string(standin_getpid()) + " cwd " + folder.string() + '\n';
    {
        std::ofstream log("engine.log", std::ios::binary | std::ios::app);
        if (!(log << line << std::flush))
            return 1;
    }
    std::cout << line << std::flush;
    std::cerr << line << std::flush;
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
