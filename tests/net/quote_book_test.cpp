#include "net/quote_book.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "core/record_format.h"
#include "platform/system.h"

namespace ft {
namespace {

// The lookup as a reader without an index would do it: copy, split, scan.
std::string CopyAndSplitLookup(const std::string& quoteText, const std::string& code) {
    if (quoteText.empty()) {
        return {};
    }
    std::vector<std::string> records;
    SplitText("**", quoteText, records);
    for (const auto& record : records) {
        const std::size_t pos = record.find(code);
        if (pos == std::string::npos || pos == 0) {
            continue;
        }
        const std::size_t end = pos + code.size();
        if (record[pos - 1] == ',' && end < record.size() && record[end] == ',') {
            return record;
        }
    }
    return {};
}

TEST(FindQuote, MatchingRule) {
    struct Case {
        const char* name;
        const char* text;
        const char* code;
        const char* expected;
    };
    const Case cases[] = {
        {"inner field", "0,IF2406,1,2**0,rb2410,3,4", "rb2410", "0,rb2410,3,4"},
        {"first matching record wins", "p,IF2406,1**q,IF2406,2", "IF2406", "p,IF2406,1"},
        {"field 0 is never found", "IF2406,a,b**x,y", "IF2406", ""},
        {"field 0 hides a later exact field", "IF2406,IF2406,b", "IF2406", ""},
        {"prefix of field 0 hides a later field", "IF2406x,IF2406,1", "IF2406", ""},
        {"inside a longer code skips the record", "a,IF24061,IF2406,b**c,IF2406,d", "IF2406",
         "c,IF2406,d"},
        {"end of a longer code skips the record", "a,XIF2406,IF2406,b", "IF2406", ""},
        {"short code inside an earlier field", "x,ab,b,c", "b", ""},
        {"last field has no comma after it", "a,b,IF2406", "IF2406", ""},
        {"last field before a trailing comma", "a,b,IF2406,", "IF2406", "a,b,IF2406,"},
        {"empty field 0", ",IF2406,1", "IF2406", ",IF2406,1"},
        {"records are cut at **", "a,IF24**06,b", "IF2406", ""},
        {"code holding a comma", "x,a,b,c", "a,b", "x,a,b,c"},
        {"empty code", "a,b,c", "", ""},
        {"empty text", "", "IF2406", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QuoteBook book;
        book.SetQuoteText(c.text);
        EXPECT_EQ(book.FindQuote(c.code), c.expected);
        EXPECT_EQ(CopyAndSplitLookup(c.text, c.code), c.expected);
    }
}

TEST(FindQuote, AgreesWithCopyAndSplitOnRandomTexts) {
    // A tiny alphabet makes codes overlap fields, separators and each other all the time.
    std::mt19937 random(20240611);
    auto pick = [&](const char* alphabet, int maxLength) {
        std::string out;
        const int length = static_cast<int>(random() % (maxLength + 1));
        const std::size_t size = std::char_traits<char>::length(alphabet);
        for (int i = 0; i < length; ++i) {
            out += alphabet[random() % size];
        }
        return out;
    };
    QuoteBook book;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = pick("ab,,*", 40);
        book.SetQuoteText(text);
        for (int i = 0; i < 8; ++i) {
            const std::string code = pick(i < 6 ? "ab" : "ab,*", 3);
            ASSERT_EQ(book.FindQuote(code), CopyAndSplitLookup(text, code))
                << "text '" << text << "' code '" << code << "'";
        }
    }
}

TEST(FindQuote, ReadersSeeWholeAnswersWhileTheyAreReplaced) {
    QuoteBook book;
    const std::string first = "a,IF2406,1**b,rb2410,1";
    const std::string second = "c,rb2410,2**d,IF2406,2";
    book.SetQuoteText(first);
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    readers.reserve(2);
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const std::string r = book.FindQuote("IF2406");
                if (r != "a,IF2406,1" && r != "d,IF2406,2") {
                    ++bad;
                }
                book.Hold(kCustomListOwner, "IF2406");
            }
        });
    }
    for (int i = 0; i < 2000; ++i) {
        book.SetQuoteText(i % 2 ? first : second);
        book.Hold(kCustomListOwner, "c" + std::to_string(i % 50));
    }
    done = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad, 0);
}

TEST(Subscription, JoinedText) {
    struct Case {
        std::vector<std::string> steps;  // "+code" subscribes, "-code" unsubscribes
        const char* joined;
        std::vector<std::string> codes;
    };
    const Case cases[] = {
        {{"+IF2406", "+rb2410"}, "IF2406,rb2410", {"IF2406", "rb2410"}},
        {{"+IF2406", "+IF2406"}, "IF2406", {"IF2406"}},
        // A joined text shorter than 4 characters is replaced, not extended.
        {{"+ab", "+cd"}, "cd", {"ab", "cd"}},
        {{"+abc", "+IF2406", "+rb2410"}, "IF2406,rb2410", {"abc", "IF2406", "rb2410"}},
        {{"+abcd", "+x"}, "abcd,x", {"abcd", "x"}},
        // Unsubscribing rebuilds the joined text from the whole list.
        {{"+ab", "+cd", "-zz"}, "ab,cd", {"ab", "cd"}},
        {{"+IF2406", "+rb2410", "+m2409", "-rb2410"}, "IF2406,m2409", {"IF2406", "m2409"}},
        {{"+IF2406", "-IF2406", "+rb2410"}, "rb2410", {"rb2410"}},
        {{"+IF2406", "-IF2406"}, "", {}},
    };
    for (const auto& c : cases) {
        QuoteBook book;
        std::string trace;
        for (const auto& step : c.steps) {
            trace += step + " ";
            if (step[0] == '+') {
                book.Hold(kCustomListOwner, step.substr(1));
            } else {
                book.Release(kCustomListOwner, step.substr(1));
            }
        }
        SCOPED_TRACE(trace);
        EXPECT_EQ(book.JoinedCodes(), c.joined);
        EXPECT_EQ(book.Codes(), c.codes);
    }
}

TEST(Subscription, ACodeStaysQuotedWhileAnyOwnerHoldsIt) {
    QuoteBook book;
    book.Hold(kCustomListOwner, "rb2705");
    book.Hold(kOrderEntryOwner, "rb2705");
    book.Hold(kOrderEntryOwner, "rb2705");  // a second hold of one owner counts once
    book.Release(kOrderEntryOwner, "rb2705");
    EXPECT_EQ(book.Codes(), std::vector<std::string>{"rb2705"}) << "the custom list still holds it";
    book.Hold(kOrderEntryOwner, "rb2705");
    book.Release(kCustomListOwner, "rb2705");
    EXPECT_EQ(book.JoinedCodes(), "rb2705") << "the order panel still holds it";
    book.Release(kOrderEntryOwner, "rb2705");
    EXPECT_EQ(book.JoinedCodes(), "");
    // Letting go of what one never held takes nothing from the others.
    book.Hold(kPositionsOwner, "al2702");
    book.Release(kOrderEntryOwner, "al2702");
    book.ReleaseAll(kStopRulesOwner);
    EXPECT_EQ(book.Codes(), std::vector<std::string>{"al2702"});
}

TEST(Subscription, HoldOnlyReplacesOneOwnersSetAndKeepsTheOthers) {
    QuoteBook book;
    const QuoteOwner dialog = NewQuoteOwner();
    EXPECT_NE(dialog, NewQuoteOwner());
    book.Hold(kOrderEntryOwner, "IF2406");
    book.HoldOnly(kPositionsOwner, {"IF2406", "al2702", "rb2705"});
    book.Hold(dialog, "rb2705");
    book.HoldOnly(kPositionsOwner, {"cu2703"});
    EXPECT_EQ(book.Codes(), (std::vector<std::string>{"IF2406", "rb2705", "cu2703"}));
    EXPECT_EQ(book.JoinedCodes(), "IF2406,rb2705,cu2703");
    EXPECT_TRUE(book.Holds(kOrderEntryOwner, "IF2406"));
    EXPECT_FALSE(book.Holds(kPositionsOwner, "IF2406"));
    book.ReleaseAll(dialog);
    book.ReleaseAll(kPositionsOwner);
    EXPECT_EQ(book.Codes(), std::vector<std::string>{"IF2406"});
}

TEST(Subscription, EachCodeKnowsWhenAnAnswerLastCarriedIt) {
    QuoteBook book;
    book.Hold(kPositionsOwner, "al2702");
    book.Hold(kPositionsOwner, "rb2705");
    EXPECT_EQ(book.SeenTick("al2702"), 0u);
    book.SetQuoteText("0,al2702,1,2**0,rb2705,3,4");
    const std::uint64_t first = book.SeenTick("al2702");
    EXPECT_GT(first, 0u);
    EXPECT_EQ(book.SeenTick("rb2705"), first);
    platform::AdvanceTickCount(5);
    // An answer without al2702 leaves its age running; a record holding the code only at its
    // start does not count (FindQuote would not find it either).
    book.SetQuoteText("0,rb2705,3,4**al2702,x,y");
    EXPECT_EQ(book.SeenTick("al2702"), first);
    EXPECT_GT(book.SeenTick("rb2705"), first);
    // Subscribed anew, a code is unseen again.
    book.Release(kPositionsOwner, "al2702");
    book.Hold(kPositionsOwner, "al2702");
    EXPECT_EQ(book.SeenTick("al2702"), 0u);
    EXPECT_EQ(book.SeenTick("never"), 0u);
}

}  // namespace
}  // namespace ft
