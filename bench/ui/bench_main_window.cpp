// Filling the main window from a table whose 32767 attachments are all listed,
// loading such a file (read, sort, show) through the file name field, the
// undo of an attachment step with the events it brings, and taking over every
// attachment of another file as one step, and its undo.
#include "../BenchMain.h"
#include "../BenchTable.h"
#include "FakeDialogs.h"
#include "app/Startup.h"
#include "model/Comparison.h"
#include "model/MtlFile.h"
#include "ui/main/frmMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSlots = 32767;

struct Fixture {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
    std::unique_ptr<frmMain> window;
    QString fileA, fileB;  // two copies: the field reloads only on a new text
    QString fileC;         // every attachment with another first width

    bool Init()
    {
        QFile mes(dir.filePath("Quillmark.mes"));
        QFile ini(dir.filePath("Quillmark.ini"));
        if (!mes.open(QIODevice::WriteOnly) || !ini.open(QIODevice::WriteOnly))
            return false;
        mes.write("MAX_INDEX = 61\r\n");
        mes.close();
        ini.write("[Comfig]\r\nATTACH MAX COUNT=" + QByteArray::number(kSlots) + "\r\n");
        ini.close();
        if (!InitApplication(state, dialogs, dir.path() + "/") || state.AttachMaxCount != kSlots)
            return false;
        window = std::make_unique<frmMain>(state, dialogs);
        window->ShowWindow();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;

        // Every slot complete, numbers shuffled so that loading really sorts.
        MachineTable table;
        AttachmentSlots attachments;
        FillBenchTable(table, attachments, kSlots);
        fileA = dir.filePath("a.mtl");
        fileB = dir.filePath("b.mtl");
        fileC = dir.filePath("c.mtl");
        const bool written = WriteMtlFile(files, fileA, table, attachments).Saved();
        for (AttachmentRecord &r : attachments)
            r.Width[0] = 45;
        return written && WriteMtlFile(files, fileC, table, attachments).Saved() &&
               QFile::copy(fileA, fileB) && (window->SetFileName(fileA), true);
    }
};

Fixture *fixture = nullptr;

void BM_ShowMachineTable_32767(benchmark::State &st)
{
    // AttachDefChange refills the window from the document.
    // Events processed too: the list lays out and paints its rows lazily.
    for (auto _ : st) {
        fixture->window->AttachDefChange();
        QCoreApplication::processEvents();
    }
    const auto *list = fixture->window->findChild<QListView *>(QStringLiteral("lstAttach"));
    if (list->model()->rowCount() != kSlots)
        st.SkipWithError("not every attachment was listed");
    st.SetItemsProcessed(st.iterations() * kSlots);
}
BENCHMARK(BM_ShowMachineTable_32767)->Unit(benchmark::kMillisecond);

void BM_LoadFile_32767(benchmark::State &st)
{
    bool useA = true;
    for (auto _ : st) {
        fixture->window->SetFileName(useA ? fixture->fileA : fixture->fileB);
        QCoreApplication::processEvents();
        useA = !useA;
    }
    const auto *list = fixture->window->findChild<QListView *>(QStringLiteral("lstAttach"));
    if (list->model()->rowCount() != kSlots)
        st.SkipWithError("the file did not load whole");
    st.SetItemsProcessed(st.iterations() * kSlots);
}
BENCHMARK(BM_LoadFile_32767)->Unit(benchmark::kMillisecond);

// Deleting the first attachment moves every record behind it: the undo of
// it, until the window has followed.
void BM_UndoDeletion_32767(benchmark::State &st)
{
    Document &doc = fixture->window->Doc();
    doc.DeleteAttachment(0, QStringLiteral("delete"));
    QCoreApplication::processEvents();
    for (auto _ : st) {
        doc.History().undo();
        QCoreApplication::processEvents();
        st.PauseTiming();
        doc.History().redo();
        QCoreApplication::processEvents();
        st.ResumeTiming();
    }
    doc.History().undo();
    if (doc.Attachments()[0].Number != 1)
        st.SkipWithError("the undo did not bring the record back");
}
BENCHMARK(BM_UndoDeletion_32767)->Unit(benchmark::kMillisecond);

// Every attachment replaced by the other file's in one step, until the window
// has followed; then its undo, timed on its own.
void BM_TakeOverAll_32767(benchmark::State &st)
{
    Document &doc = fixture->window->Doc();
    Comparison comparison(doc);
    if (!comparison.Read(fixture->fileC).loaded || comparison.Differences().size() != kSlots) {
        st.SkipWithError("not every attachment differs");
        return;
    }
    std::vector<std::size_t> rows(kSlots);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = i;
    const bool undo = st.range(0) == 1;
    for (auto _ : st) {
        if (undo)
            st.PauseTiming();
        comparison.TakeOver(rows, QStringLiteral("take over"));
        QCoreApplication::processEvents();
        if (undo)
            st.ResumeTiming();
        else
            st.PauseTiming();
        doc.History().undo();
        QCoreApplication::processEvents();
        if (!undo)
            st.ResumeTiming();
    }
    if (comparison.Differences().size() != kSlots)
        st.SkipWithError("the undo did not bring the table back");
}
BENCHMARK(BM_TakeOverAll_32767)
    ->ArgName("undo")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    return BenchMain<QApplication>(argc, argv, fixture);
}
