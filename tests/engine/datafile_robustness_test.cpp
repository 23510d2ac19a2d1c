// Mutated data files of every form: each load either succeeds with a consistent
// data set or fails with a message and leaves the page exactly as it was.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/engine/datafile_helpers.h"
#include "tests/engine/modelfile_helpers.h"
#include "tests/support/scripted_file_choices.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using namespace kivra::test;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t b = 0;
    while (b < text.size()) {
        std::size_t e = text.find('\n', b);
        e = e == std::string::npos ? text.size() : e + 1;
        lines.push_back(text.substr(b, e - b));
        b = e;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l;
    return s;
}

// Valid files of every form, written by the page itself where it can.
std::vector<std::string> ValidFiles(const ScratchDir& dir) {
    TSensTabCore page;
    page.CreateSet(3, 8, 1);
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 8; ++k) {
            page.Time[i][k] = 0.5 * k + 0.01 * i;
            page.Data[i][k] = 100.0 / (k + 1) + i;
            page.Sim[i][k] = 90.0 / (k + 1);
        }
        page.InjStart[0][i] = 1;
        page.InjStop[0][i] = 2.5;
        page.InjConc[0][i] = 1e-9 * (i + 1);
        page.RefIndex[3][i] = 0.1 * i;
        page.Flow[i] = 5 + i;
    }
    page.PointCount[1] = 5;
    std::vector<std::string> files;
    for (int mask : {1, 2, 3, 5, 6, 7}) {
        page.WriteData(dir.Path("valid.txt"), mask);
        files.push_back(dir.Read("valid.txt"));
    }
    page.Excluded[0] = true;
    page.WriteData(dir.Path("valid.txt"), 3);
    files.push_back(dir.Read("valid.txt"));
    files.push_back("Vers 3.2\r\nFlow\t1\t2\r\nTime1\tData1\tTime2\tData2\r\n0\t1\t0\t2\r\n1\t3\t1\t4\r\n2\t5\t\t\r\n");
    files.push_back("\xEF\xBB\xBF" "120\t1e-9\t2e-9\n0\t1\t2\n1\t3\t4\n2\t5\t6\n3\t7\t8\n");
    files.push_back("Version 3.0\n10\n70\nT\tA\tT\tA\n0\t1e-9\t0\t2e-9\n0\t1\t0\t2\n1\t3\t1\t4\n2\t5\t2\t6\n");
    files.push_back("Fc=1 Time\tFc=1 RU\tFc=2 Time\tFc=2 RU\n0\t1\t0\t2\n1\t3\t1\t4\n2\t5\t\t\n3\t7\t\t\n");
    return files;
}

const char* const Replacements[] = {"1e999", "-1e999", "nan", "inf", "-inf", "NaN", "1e308", "-0",
                                    "99999999999999999999999", "0", "-1", "", "x", "1e-400", "+-1",
                                    "\t", ",", "Time", "3000000000", "Vers 3.47"};

std::string Mutate(const std::string& text, std::mt19937& rng) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % (n ? n : 1)); };
    std::vector<std::string> lines = SplitLines(text);
    switch (rng() % 8) {
    case 0:  // delete a line
        if (!lines.empty()) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(pick(lines.size())));
        return Join(lines);
    case 1:  // duplicate a line
        if (!lines.empty()) {
            const std::size_t k = pick(lines.size());
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(k), lines[k]);
        }
        return Join(lines);
    case 2:  // swap two lines
        if (!lines.empty()) std::swap(lines[pick(lines.size())], lines[pick(lines.size())]);
        return Join(lines);
    case 3:
    case 4: {  // change a few bytes
        std::string s = text;
        static const char alphabet[] = "0123456789\t\n\r,.eE-+TVFcimns \0\x80\xff";
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0 && !s.empty(); --n) {
            const char c = rng() % 4 == 0 ? static_cast<char>(rng()) : alphabet[pick(sizeof alphabet - 1)];
            s[pick(s.size())] = c;
        }
        return s;
    }
    case 5: {  // a number replaced by something huge, non-finite or not a number
        std::string s = text;
        const std::size_t at = pick(s.size());
        const std::size_t b = s.find_first_of("0123456789", at);
        if (b == std::string::npos) return s;
        const std::size_t e = s.find_first_of("\t\n,", b);
        s.replace(b, (e == std::string::npos ? s.size() : e) - b, Replacements[pick(std::size(Replacements))]);
        return s;
    }
    case 6: {  // a line cut short at a random place
        std::string s = text;
        s.resize(pick(s.size() + 1));
        return s;
    }
    default: {  // an absurd header or a flood of empty lines
        const std::size_t k = pick(lines.size());
        std::string filler = rng() % 2 ? std::string(20000, '\t') + "\n" : std::string(20000, '\n');
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(k), filler);
        return Join(lines);
    }
    }
}

// Every file cut after each of its lines, then mutated copies up to 3000 cases.
std::vector<std::string> Cases(const std::vector<std::string>& files, unsigned seed) {
    std::vector<std::string> cases;
    for (const auto& f : files) {
        const auto lines = SplitLines(f);
        for (std::size_t n = 0; n <= lines.size(); ++n)
            cases.push_back(Join(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n))));
    }
    std::mt19937 rng(seed);
    while (cases.size() < 3000) {
        std::string s = files[rng() % files.size()];
        for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) s = Mutate(s, rng);
        cases.push_back(std::move(s));
    }
    return cases;
}

} // namespace

TEST(DataFileRobustness, MutatedFilesLoadConsistentlyOrChangeNothing) {
    ScriptedMessages msgs;
    ScriptedFileChoices choices;
    choices.AlwaysPreset = true;
    ScratchDir dir("robust");
    const std::vector<std::string> files = ValidFiles(dir);

    CountingPage page;
    for (const auto& f : files) {
        msgs.Clear();
        ASSERT_TRUE(page.LoadSens(dir.Write("start.txt", f))) << f;
        ASSERT_TRUE(Consistent(page)) << f;
    }

    const std::vector<std::string> cases = Cases(files, 20261207);

    int loaded = 0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        const PageSnapshot before(page);
        msgs.Clear();
        const bool ok = page.LoadSens(dir.Write("case.txt", cases[c]));
        if (ok) {
            ++loaded;
            ASSERT_TRUE(Consistent(page)) << "case " << c << ":\n" << cases[c];
            EXPECT_TRUE(page.IsLoaded());
        } else {
            ASSERT_GE(msgs.Count(), 1u) << "case " << c << " failed silently:\n" << cases[c];
            ASSERT_TRUE(PageSnapshot(page) == before) << "case " << c << ":\n" << cases[c];
        }
    }
    // Enough of both outcomes to mean something.
    EXPECT_GT(loaded, 300);
    EXPECT_LT(loaded, static_cast<int>(cases.size()) - 300);
}

// The same for model files: a load either replaces model and pages with what
// then saves and loads again to the same text, or changes nothing at all.
TEST(ModelFileRobustness, MutatedFilesLoadWholeOrChangeNothing) {
    ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    ScratchDir dir("robust-model");
    std::vector<std::string> files;
    {
        CountingForm rich;
        MakeRichForm(rich);
        ASSERT_TRUE(rich.SaveModelFile(dir.Path("rich.mdl")));
        files.push_back(dir.Read("rich.mdl"));
    }
    for (const char* name : {"v30.mdl", "v32.mdl", "v33.mdl", "v34.mdl"}) files.push_back(TestDataFile(name));

    CountingForm form;
    auto saved = [&] {
        EXPECT_TRUE(form.SaveModelFile(dir.Path("saved.mdl")));
        return dir.Read("saved.mdl");
    };
    for (const auto& f : files) ASSERT_TRUE(form.LoadModelFile(dir.Write("start.mdl", f))) << f;

    const std::vector<std::string> cases = Cases(files, 20261208);

    int loaded = 0;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        const std::string before = saved();
        const int pages = form.PageCount();
        msgs.Clear();
        if (form.LoadModelFile(dir.Write("case.mdl", cases[c]))) {
            ++loaded;
            const std::string once = saved();
            ASSERT_TRUE(form.LoadModelFile(dir.Path("saved.mdl"))) << "case " << c << ":\n" << cases[c];
            ASSERT_EQ(saved(), once) << "case " << c << ":\n" << cases[c];
        } else {
            ASSERT_GE(msgs.Count(), 1u) << "case " << c << " failed silently:\n" << cases[c];
            ASSERT_EQ(form.PageCount(), pages);
            ASSERT_EQ(saved(), before) << "case " << c << ":\n" << cases[c];
        }
    }
    EXPECT_GT(loaded, 300);
    EXPECT_LT(loaded, static_cast<int>(cases.size()) - 300);
}
