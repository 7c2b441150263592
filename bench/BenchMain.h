#pragma once
// The main of a benchmark program on one fixture: the application (offscreen
// for a window one unless a platform is chosen), the fixture's set-up, the
// benchmarks, and the fixture gone before the application.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <type_traits>

template <class App, class Fixture>
int BenchMain(int argc, char **argv, Fixture *&fixture, void (*after)() = nullptr)
{
    if (std::is_base_of_v<QGuiApplication, App> && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    Fixture f;
    if (!f.Init()) {
        std::fprintf(stderr, "%s: set-up failed\n", argv[0]);
        return 1;
    }
    fixture = &f;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (after)
        after();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
