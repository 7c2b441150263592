// What one keystroke in a stage box costs: the text changes, the value is
// stored into the working copy and the outline is redrawn into the picture box.
#include "../BenchMain.h"
#include "FakeDialogs.h"
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"
#include "ui/editor/frmEditor.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

struct Fixture {
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
    QWidget owner;
    AttachmentSlots attachments{10};
    std::unique_ptr<frmEditor> editor;

    bool Init()
    {
        state.messages.Create(60);
        AttachmentRecord &r = attachments[0];
        r.Number = 12;
        r.ShapeNumber = 1;
        r.ShapeType = 1;
        r.Width = {10, 20, 20, 30, 40};
        r.Height = {5, 5, 5, 10, 2};
        editor = std::make_unique<frmEditor>(state, dialogs, &owner);
        editor->Load({&attachments, nullptr, 1, 12, {}});
        editor->show();
        editor->activateWindow();
        return QTest::qWaitForWindowActive(editor.get());
    }
    QLineEdit *Box(const char *name) { return editor->findChild<QLineEdit *>(name); }
};

Fixture *fixture = nullptr;

// The Change path alone: a new text in the width box of stage 2.
void BM_StageTextChange(benchmark::State &st)
{
    QLineEdit *box = fixture->Box("txtWidth_1");
    const QString texts[2] = {QStringLiteral("12.5"), QStringLiteral("20")};
    int k = 0;
    for (auto _ : st)
        box->setText(texts[k ^= 1]);
    const float stored = fixture->editor->EditAttachment().Width[1];
    if (stored != 20.0f && stored != 12.5f)
        st.SkipWithError("the value was not stored");
}
BENCHMARK(BM_StageTextChange);

// A real key press through the key filter: a digit, then Backspace (two
// keystrokes per iteration, each stored and drawn).
void BM_StageKeyPress(benchmark::State &st)
{
    QLineEdit *box = fixture->Box("txtWidth_4");
    box->setFocus();
    box->setText(QStringLiteral("40"));
    box->end(false);
    for (auto _ : st) {
        QTest::keyClick(box, Qt::Key_5);
        QTest::keyClick(box, Qt::Key_Backspace);
    }
    if (fixture->dialogs.beeps != 0 || box->text() != QStringLiteral("40"))
        st.SkipWithError("a keystroke was refused");
    st.SetItemsProcessed(st.iterations() * 2);
}
BENCHMARK(BM_StageKeyPress);

// The drawing alone into the editor's 305 x 265 pixel box.
void BM_AttachDraw(benchmark::State &st)
{
    PictureBox box;
    box.resize(305, 265);
    const AttachmentRecord &r = fixture->attachments[0];
    for (auto _ : st)
        AttachDraw(r, box);
}
BENCHMARK(BM_AttachDraw);

}  // namespace

int main(int argc, char **argv)
{
    return BenchMain<QApplication>(argc, argv, fixture);
}
