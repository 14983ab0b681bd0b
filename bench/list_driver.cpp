// Benchmark driver: the real main window (offscreen, under the program's skin) with a long list, and how long the
// list's commands take on it, each entered as the tool bar, the keys and the right-click menu enter it. Each round
// starts a fresh window from the kept list given (copied, so that the window's own saves never change it); each
// figure is the median of the rounds, in seconds, the events the command left behind (layout, painting) included.
//   list_driver <program dir> <kept list> <file to add> <rounds>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QItemSelection>
#include <QMenu>
#include <QTimer>

#include "bench/bench_prompts.h"
#include "app/converter_app.h"
#include "convert/file_table.h"
#include "mainwin/converter_dlg.h"
#include "mainwin/kept_list.h"
#include "mainwin/video_file_list.h"
#include "settings/conversion_settings.h"
#include "settings/program_dir.h"

namespace {
using Clock = std::chrono::steady_clock;
using D = CConverterDlg;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs `command` and the events it left behind; the seconds it took.
double Timed(const std::function<void()>& command) {
    const auto start = Clock::now();
    command();
    QApplication::processEvents();
    return Since(start);
}

// Selects the rows from `first` on, every `step`th, `count` of them, in one go (as Shift or Ctrl clicks leave it).
void Select(CVideoFileList* list, int first, int count, int step) {
    QItemSelection selection;
    for (int i = 0; i < count; ++i) {
        const int row = first + i * step;
        const int last = step == 1 ? first + count - 1 : row;
        selection.select(list->model()->index(row, 0), list->model()->index(last, list->columnCount() - 1));
        if (step == 1)
            break;
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

struct Window {
    BenchPrompts prompts;
    ConversionSettings settings;
    std::unique_ptr<D> dlg;
    CVideoFileList* list() const { return dlg->fileList(); }
};

// One figure: what to prepare (not timed), the command (timed), and the rows the list must hold afterwards, less
// the rows it held before.
struct Operation {
    const char* name;
    std::function<void(Window&)> prepare;
    std::function<void(Window&)> command;
    std::function<int(int)> rowsAfter;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <program dir> <kept list> <file to add> <rounds>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyProgramSkin();
    SetProgramPath(std::string(argv[1]) + "/quor-zodi-converter");
    const std::string kept = argv[2];
    const QString added = QString::fromLocal8Bit(argv[3]);
    const int rounds = std::atoi(argv[4]);
    std::ifstream in(kept, std::ios::binary);
    const std::string keptText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string working = kept + ".working";

    std::map<std::string, std::vector<double>> seconds;
    std::map<std::string, std::string> failed; // what a command did instead
    int rows = 0;
    std::size_t textBytes = 0;
    // A fresh window holding the kept list.
    const auto open = [&](Window& w) {
        std::ofstream(working, std::ios::binary | std::ios::trunc) << keptText;
        w.dlg = std::make_unique<D>(w.settings, w.prompts);
        const auto start = Clock::now();
        w.dlg->KeepListIn(working);
        w.dlg->show();
        QApplication::processEvents();
        seconds["open the kept list s"].push_back(Since(start));
        rows = w.list()->RowCount();
    };

    const auto selectMiddle = [](Window& w) { w.list()->SelectRow(w.list()->RowCount() / 2); };
    const auto command = [](int id) { return [id](Window& w) { w.dlg->OnCommand(id); }; };
    const auto same = [](int n) { return n; };
    const Operation operations[] = {
        {"right-click menu s", selectMiddle,
         [](Window& w) {
             // Timed until the menu is there to choose from; Escape closes it (not timed: the clock stops first).
             QTimer::singleShot(0, [] {
                 if (QWidget* menu = QApplication::activePopupWidget())
                     menu->close();
             });
             emit w.list()->customContextMenuRequested(QPoint(3, 3));
         },
         same},
        {"add one file s", [&](Window& w) { w.prompts.nextFiles = {added}; }, command(D::IDC_ADD),
         [](int n) { return n + 1; }},
        {"remove one row s", selectMiddle, command(D::IDC_REMOVE), [](int n) { return n - 1; }},
        {"move one row up s", selectMiddle, command(D::IDC_MOVE_UP), same},
        {"move one row down s", selectMiddle, command(D::ID_LIST_MOVE_DOWN), same},
        {"move half the rows down s", [](Window& w) { Select(w.list(), 0, w.list()->RowCount() / 2, 1); },
         command(D::IDC_MOVE_DOWN), same},
        {"move every other row up s", [](Window& w) { Select(w.list(), 1, w.list()->RowCount() / 2, 2); },
         command(D::IDC_MOVE_UP), same},
        {"remove the first half s", [](Window& w) { Select(w.list(), 0, w.list()->RowCount() / 2, 1); },
         command(D::IDC_REMOVE), [](int n) { return n - n / 2; }},
        {"remove every other row s", [](Window& w) { Select(w.list(), 0, (w.list()->RowCount() + 1) / 2, 2); },
         command(D::ID_LIST_REMOVE), [](int n) { return n / 2; }},
        {"remove all rows s", [](Window& w) { w.list()->selectAll(); }, command(D::IDC_REMOVE), [](int) { return 0; }},
    };

    for (int round = 0; round < rounds; ++round) {
        for (const Operation& op : operations) {
            Window w;
            open(w);
            op.prepare(w);
            const double s = Timed([&] { op.command(w); });
            const int expected = op.rowsAfter(rows);
            if (w.list()->RowCount() != expected || w.dlg->files().fileCount != expected) {
                failed[op.name] = "n/a (" + std::to_string(w.list()->RowCount()) + " rows left of " +
                                  std::to_string(rows) + ", " + std::to_string(expected) + " expected)";
                continue;
            }
            if (!w.prompts.texts.isEmpty()) {
                std::fprintf(stderr, "%s: told %s\n", op.name, qPrintable(w.prompts.texts.join('\n')));
                return 1;
            }
            seconds[op.name].push_back(s);
        }
        // The kept list's writing on its own: its text, and the text written safely.
        const std::vector<VideoFileEntry> files = LoadKeptList(kept);
        const auto textStart = Clock::now();
        textBytes = KeptListText(files).size();
        seconds["kept list text s"].push_back(Since(textStart));
        const auto start = Clock::now();
        std::string error;
        if (!SaveKeptList(working, files, &error)) {
            std::fprintf(stderr, "the list could not be kept: %s\n", error.c_str());
            return 1;
        }
        seconds["keep the list once s"].push_back(Since(start));
    }

    std::printf("rows: %d\n", rows);
    std::printf("kept list text bytes: %zu\n", textBytes);
    for (const auto& [name, what] : failed) {
        std::printf("%s: %s\n", name.c_str(), what.c_str());
        seconds.erase(name);
    }
    for (auto& [name, figures] : seconds) {
        std::sort(figures.begin(), figures.end());
        std::printf("%s: %.4f\n", name.c_str(), figures[figures.size() / 2]);
    }
    return 0;
}
