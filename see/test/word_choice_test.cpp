#include "platform/linux/text_recognition/word_choice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mivo::platform {
namespace {

// A word 20 pixels high whose top is at `top`, read with `confidence`.
ReadWord read(const char* text, int left, int right, int top, float confidence) {
  return {{text, left, top, right, top + 20}, confidence};
}

std::vector<std::string> texts(const std::vector<BoxedWord>& words) {
  std::vector<std::string> result;
  for (const BoxedWord& word : words) result.push_back(word.text);
  return result;
}

TEST(SureWords, KeepsUnsureWordsOnlyBesideSureOnesAndOneWordAPlace) {
  const struct {
    const char* name;
    std::vector<ReadWord> words;
    std::vector<std::string> kept;
  } rows[] = {
      {"unsure words of a line with a sure one, at word spacing, stay",
       {read("def", 10, 40, 0, 96), read("total", 50, 90, 0, 15), read("_due(invoices,", 95, 200, 0, 15)},
       {"def", "total", "_due(invoices,"}},
      {"unsure words alone or beside their like go: a clock face, window buttons",
       {read("vettbtag,", 10, 90, 0, 30), read("[=]", 95, 120, 0, 5), read("Inbox", 10, 60, 100, 90)},
       {"Inbox"}},
      {"on the row of a sure word, unsure cells of letters and digits stay, symbols and the "
       "least sure go",
       {read("TOTAL", 10, 70, 0, 96), read("44.33", 400, 440, 0, 29), read("~=", 200, 220, 0, 29),
        read("Paid", 300, 340, 0, 12)},
       {"TOTAL", "44.33"}},
      {"a sure bar, what is left of a frame, keeps nothing unsure beside it",
       {read("p=}", 10, 25, 0, 1), read("0}", 30, 42, 0, 31), read("|", 46, 48, 0, 64),
        read("x)", 52, 62, 0, 20)},
       {"|"}},
      {"on the row of a sure word, an unsure version or time stays, its marks single between "
       "digits; marks side by side go",
       {read("alsa-topology-conf", 10, 150, 0, 81), read("1.2,5,1-2", 300, 356, 0, 42),
        read("10:42", 400, 440, 0, 30), read("-.|", 500, 520, 0, 42), read("1-", 600, 620, 0, 42)},
       {"alsa-topology-conf", "1.2,5,1-2", "10:42"}},
      {"an unsure word of letters stays on the line just above or below a sure one, not further "
       "or alone",
       {read("tmux:", 10, 50, 0, 29), read("Installed:", 30, 110, 24, 93), read("vette", 300, 340, 60, 29),
        read("Inbox", 300, 350, 130, 90), read("ab", 10, 30, 48, 29)},
       {"tmux:", "Installed:", "Inbox"}},
      {"a row further than twenty heights from any sure word keeps nothing unsure",
       {read("Inbox", 10, 60, 0, 90), read("vette", 500, 560, 0, 40)},
       {"Inbox"}},
      {"a long word of letters and digits stays alone and unsure, and keeps its phrase",
       {read("Tesired=Unknown/Install/Remove/Purge/Hold", 10, 300, 0, 25),
        read("http://www", 10, 90, 100, 0), read(".apache.org/licenses/", 95, 250, 100, 47),
        read("vettbtag,", 10, 90, 200, 30)},
       {"Tesired=Unknown/Install/Remove/Purge/Hold", "http://www", ".apache.org/licenses/"}},
      {"a long word on the row of a sure one stays however unsure, alone in its column; a short "
       "one that unsure goes, and so does a long one on the next line",
       {read("16", 10, 30, 0, 97), read("rcu_exp_par_gp_kthread_worker/0O", 300, 610, 0, 15),
        read("os", 200, 230, 100, 97), read("kworker", 300, 370, 100, 15),
        read("ANAAAAAAANAAAAAAAAAA", 200, 400, 122, 5)},
       {"16", "rcu_exp_par_gp_kthread_worker/0O", "os"}},
      {"a letter alone on its row goes however sure, a digit stays, a letter on a row stays",
       {read("x", 10, 20, 0, 97), read("0", 10, 20, 100, 95), read("C", 10, 20, 200, 90),
        read("AC", 60, 80, 200, 90)},
       {"0", "C", "AC"}},
      {"of two words on one place, the surer; a surer one over the end of a longer one leaves it",
       {read("2025-02-water", 10, 120, 0, 89), read("pdf", 100, 122, 0, 49),
        read("<bits/types/_fpos", 10, 240, 100, 37), read("t.h>", 200, 245, 100, 68)},
       {"2025-02-water", "<bits/types/_fpos", "t.h>"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> kept = texts(sureWords(row.words));
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> expected = row.kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
  }
}

TEST(EndBoxesAtTheNextWord, CutsABoxThatReachesOverTheNextWordOfItsLine) {
  const struct {
    const char* name;
    std::vector<ReadWord> words;
    std::vector<int> rights;
  } rows[] = {
      {"the first word of a split run, given the run's box, ends where the next begins",
       {read("invoices.append(", 174, 440, 0, 6), read("json.", 307, 348, 0, 6),
        read("load(file)", 352, 428, 0, 60), read(")", 434, 442, 0, 65)},
       {307, 348, 428, 442}},
      {"words apart keep their boxes, and so does a word over one on the next line",
       {read("ls", 10, 30, 0, 90), read("-l", 40, 60, 0, 90), read("total", 10, 80, 0, 90),
        read("12", 20, 40, 20, 90)},
       {30, 60, 80, 40}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<ReadWord> words = row.words;
    endBoxesAtTheNextWord(words);
    std::vector<int> rights;
    for (const ReadWord& word : words) rights.push_back(word.word.right);
    EXPECT_EQ(rights, row.rights);
  }
}

TEST(SureWords, KeepsTheWordsAfterASplitRunOnceItsBoxIsMended) {
  std::vector<ReadWord> words = {read("10", 31, 45, 0, 95), read("invoices.append(", 174, 440, 0, 6),
                                 read("json.", 307, 348, 0, 6), read("load(file)", 352, 428, 0, 60),
                                 read(")", 434, 442, 0, 65)};
  endBoxesAtTheNextWord(words);
  std::vector<std::string> kept = texts(sureWords(words));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{")", "10", "invoices.append(", "json.", "load(file)"}));
}

TEST(WithHyphensApart, MakesAnEmDashBesideAHyphenAHyphen) {
  const struct {
    const char* read;
    const char* text;
  } rows[] = {
      {"—-delete", "--delete"},
      {"-—catenate,", "--catenate,"},
      {"a—b", "a—b"},
      {"——", "——"},
      {"2-3 — 4", "2-3 — 4"},
  };
  for (const auto& row : rows) EXPECT_EQ(withHyphensApart(row.read), row.text) << row.read;
}

TEST(HoldsALetterOrDigit, TellsTextFromSymbolsInAnyScript) {
  EXPECT_TRUE(holdsALetterOrDigit("[x]"));
  EXPECT_TRUE(holdsALetterOrDigit("— 7 —"));
  EXPECT_TRUE(holdsALetterOrDigit("Übersicht"));
  EXPECT_FALSE(holdsALetterOrDigit("[=] — | ©"));
  EXPECT_FALSE(holdsALetterOrDigit(""));
}

}  // namespace
}  // namespace mivo::platform
