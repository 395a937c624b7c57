// ptpcfg print --pdf: the program itself (no display) writes the printed pages of a module's
// printout as a PDF file; its refusals and file errors.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "app/cli.h"
#include "document/codes.h"
#include "host/aut.h"
#include "host/project.h"
#include "sdb/text_image.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"
#include "view/printout.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;  // standard output and standard error
};

std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its standard error goes with the output unless the command sends it
// elsewhere.
Outcome run(const std::string& command) {
    Outcome r;
    FILE* pipe = ::popen(("{ " + command + "; } 2>&1").c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) r.out.append(buffer, n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

Outcome ptpcfg(const std::string& args) { return run(shellQuoted(PTPCFG) + " " + args); }

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The page objects of a PDF file.
int pdfPages(const std::string& pdf) {
    static const std::regex page("/Type\\s*/Page[^s]");
    return int(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

bool hasPdftotext() { return run("command -v pdftotext").status == 0; }

// A CP 831-1 printer in its data transfer file, with message texts enough for several pages;
// the project holds the page layout with a plant name as its second text.
struct LongPrintout {
    LongPrintout() {
        {
            auto project = host::Project::open(projectFile.string(), true);
            EXPECT_TRUE(project);
            const auto env = project->create({1, 1, 0, 0, 0, 0}, "P1", 0, 0);
            const auto layout = project->create({kPageLayoutObjectType, 1, 0, 0, 0, 0}, "Seitenlayout", env, 0);
            project->setString(layout, 51, "Anlage 7");
        }
        ::setenv("QORB4_PROJECT", projectFile.c_str(), 1);
        EXPECT_EQ(ptpcfg("--yes protocol " + shellQuoted(line) + " DRUCKER").status, cli::kDone);
        AppSettings app;
        support::MessageRecorder messages;
        auto doc = support::OpenDocument(app, line);
        EXPECT_EQ(doc->m_nProtocol, kProtPrinter);
        doc->m_bTextPresent = 1;
        doc->m_nBlockCount += 1;  // the texts are a section of their own
        for (int n = 1; n <= kTexts; ++n)
            EXPECT_TRUE(doc->m_pTexts->setText(n, "Meldung " + std::to_string(n) + ": Kessel " + std::to_string(n) + " leer"));
        doc->SetModifiedFlag(true);
        EXPECT_EQ(doc->Store(), 1);
        EXPECT_TRUE(doc->ReleaseStoredBlock());
        lines = printout::BuildPrintout(*doc);
    }
    ~LongPrintout() { ::unsetenv("QORB4_PROJECT"); }
    static constexpr int kTexts = 120;
    support::ScratchDir dir{"ptp_print_pdf"};
    std::filesystem::path projectFile = dir / "P1.qorb";
    std::string line = support::StartupString((dir / "cp831.sdb").string(), "CP8311", 81, "9QX4 831-1KK02");
    std::vector<std::string> lines;
};

}  // namespace

// The printout of more lines than a page holds: A4 portrait takes between 50 and 75 of the
// print font's lines, so 150 to 200 lines are three pages; each page has its number and the
// lines follow on from page to page.
TEST(PrintPdfCommand, WritesEveryPageOfALongPrintout) {
    LongPrintout m;
    ASSERT_GE(m.lines.size(), 151u);
    ASSERT_LE(m.lines.size(), 200u);
    const auto pdf = m.dir / "printout.pdf";
    const Outcome r = ptpcfg("print " + shellQuoted(m.line) + " --pdf " + shellQuoted(pdf.string()));
    EXPECT_EQ(r.status, cli::kDone) << r.out;
    EXPECT_EQ(r.out.find("QStandardPaths"), std::string::npos) << "the window system's notes are no output: " << r.out;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(pdfPages(readFile(pdf)), 3);
    if (!hasPdftotext()) GTEST_SKIP() << "pdftotext is not installed: the pages' text is not checked";

    const Outcome text = run("pdftotext -layout " + shellQuoted(pdf.string()) + " -");
    ASSERT_EQ(text.status, 0);
    // pdftotext ends each page with a form feed
    std::vector<std::string> pages(1);
    for (char c : text.out) {
        if (c == '\f') pages.emplace_back();
        else pages.back() += c;
    }
    ASSERT_GE(pages.size(), 3u);
    for (int p = 1; p <= 3; ++p) {
        const std::string& page = pages[p - 1];
        EXPECT_NE(page.find("Seite " + std::to_string(p)), std::string::npos) << "page " << p;
        EXPECT_NE(page.find("TARVIK Y5"), std::string::npos) << "page " << p;
        EXPECT_NE(page.find("Anlage 7"), std::string::npos) << "page " << p;
        EXPECT_NE(page.find("Parlino"), std::string::npos) << "page " << p;
        EXPECT_NE(page.find("Quenral AG"), std::string::npos) << "page " << p;
    }
    EXPECT_NE(pages[0].find("Punkt-zu-Punkt-Kopplung parametrieren"), std::string::npos);
    EXPECT_EQ(pages[1].find("Punkt-zu-Punkt-Kopplung parametrieren"), std::string::npos);
    // the first and the last message are on the first and the last page
    EXPECT_NE(pages[0].find("Meldung 1: Kessel 1 leer"), std::string::npos);
    EXPECT_NE(pages[2].find("Meldung 120: Kessel 120 leer"), std::string::npos);
    for (int n : {1, 60, 120}) {
        int found = 0;
        for (const auto& page : pages) found += page.find("Meldung " + std::to_string(n) + ":") != std::string::npos;
        EXPECT_EQ(found, 1) << "message " << n << " printed once";
    }
}

// Without --pdf the command still prints the lines, and nothing else.
TEST(PrintPdfCommand, WithoutPdfPrintsTheLines) {
    LongPrintout m;
    const Outcome r = ptpcfg("print " + shellQuoted(m.line) + " 2>/dev/null");
    EXPECT_EQ(r.status, cli::kDone);
    std::string expected;
    for (const auto& l : m.lines) expected += l + "\n";
    EXPECT_EQ(r.out, expected);
}

// A file that cannot be written: the reason, exit code 1, and a file already there is kept.
TEST(PrintPdfCommand, FileProblemsAreReportedAndChangeNothing) {
    LongPrintout m;
    const auto kept = m.dir / "kept.pdf";
    std::ofstream(kept) << "before";
    std::filesystem::create_directory(m.dir / "locked");
    ::chmod((m.dir / "locked").c_str(), 0500);
    const bool root = ::geteuid() == 0;
    const struct {
        std::string file;
        bool refused;
        std::string says;
    } cases[] = {
        {(m.dir / "missing" / "x.pdf").string(), true, "kann nicht geschrieben werden"},
        {(m.dir / "locked" / "x.pdf").string(), !root, "kann nicht geschrieben werden"},
        {m.dir.path.string(), true, "kann nicht geschrieben werden"},
    };
    for (const auto& c : cases) {
        if (!c.refused) continue;  // root writes into a folder without write permission
        const Outcome r = ptpcfg("print " + shellQuoted(m.line) + " --pdf " + shellQuoted(c.file));
        EXPECT_EQ(r.status, cli::kFailure) << c.file;
        EXPECT_NE(r.out.find("ptpcfg print: die Datei " + c.file + " " + c.says), std::string::npos) << r.out;
    }
    EXPECT_EQ(readFile(kept), "before");
    // the same file written properly replaces it
    EXPECT_EQ(ptpcfg("print " + shellQuoted(m.line) + " --pdf " + shellQuoted(kept.string())).status, cli::kDone);
    EXPECT_EQ(readFile(kept).rfind("%PDF", 0), 0u);
    ::chmod((m.dir / "locked").c_str(), 0700);
}

// Wrong use of --pdf, and a program that cannot draw (the command-line library alone).
TEST(PrintPdfCommand, RefusesWrongUse) {
    const std::string line = "0,CP731,81,1,CP,9QX4 731-1L,S1,0,5,0,2";
    const struct {
        std::string args, says;
    } cases[] = {
        {"print " + shellQuoted(line) + " --pdf", "--pdf erwartet genau einen Dateinamen"},
        {"print " + shellQuoted(line) + " --pdf a.pdf --pdf b.pdf", "--pdf erwartet genau einen Dateinamen"},
        {"print --pdf a.pdf", "genau eine Start-Parameterzeichenkette"},
    };
    for (const auto& c : cases) {
        const Outcome r = ptpcfg(c.args);
        EXPECT_EQ(r.status, cli::kFailure) << c.args;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
    }
    std::string out;
    cli::SetPdfWriter(nullptr);
    EXPECT_EQ(cli::Run({"print", line, "--pdf", "a.pdf"}, out), cli::kFailure);
    EXPECT_FALSE(std::filesystem::exists("a.pdf"));
}
