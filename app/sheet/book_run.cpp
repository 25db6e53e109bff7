// The book: the puzzles of the files read into a spool, planned whole, and drawn a page at
// a time with its front matter and key.
#include "app/sheet/book_run.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/sheet/sheet_input.h"
#include "exact/exact_solver.h"
#include "explain/explain.h"
#include "puzzle/cpu_time.h"
#include "puzzle/problem_line.h"
#include "render/page_layout.h"

namespace spanwright::sheet {

// The exact solver decides every board that deduction leaves open: a unique solution goes
// into the key like any other, no solution or several get a marked tile, and so does a
// board whose search ran out of time (KeyVerdict::Unknown).
spanwright::SolutionSource exactSolutionSource(double timeLimit, const double* left) {
    return [timeLimit, left](const spanwright::Puzzle& puzzle) {
        spanwright::KeySolution key;
        spanwright::exact::ExactLimits limits;
        limits.seconds = left != nullptr && timeLimit > 0 ? *left : timeLimit;
        if (timeLimit > 0 && limits.seconds <= 0) return key;  // not decided
        const spanwright::exact::ExactResult result =
            spanwright::exact::solveExactly(puzzle, limits);
        switch (result.verdict) {
            case spanwright::exact::Verdict::None:
                key.verdict = spanwright::KeyVerdict::None;
                break;
            case spanwright::exact::Verdict::Multiple:
                key.verdict = spanwright::KeyVerdict::Multiple;
                break;
            case spanwright::exact::Verdict::Unique:
                key.verdict = spanwright::KeyVerdict::Unique;
                key.bridges = result.solutions.front();
                break;
            case spanwright::exact::Verdict::Unknown:
                key.verdict = spanwright::KeyVerdict::Unknown;
                break;
        }
        return key;
    };
}

/// Why `key` keeps a puzzle from the book: "" when nothing does.
static std::string faultOf(const spanwright::KeySolution& key, double timeLimit) {
    switch (key.verdict) {
        case spanwright::KeyVerdict::Unique:
            return "";
        case spanwright::KeyVerdict::None:
            return "has no solution";
        case spanwright::KeyVerdict::Multiple:
            return "has several solutions";
        case spanwright::KeyVerdict::Unknown:
            break;
    }
    return spanwright::formatText(
        "was not decided: the exact search reached its time limit of %g s", timeLimit);
}

/// Solves a puzzle for the key, warning when it gets no answer, and when only the exact
/// search found it: a puzzle that deduction cannot finish asks a guess of the player.
spanwright::KeySolution solveForKey(const spanwright::SolutionSource& exact, double timeLimit,
                                    const spanwright::Puzzle& puzzle, long number, Origin origin) {
    spanwright::KeySolution key = spanwright::solveByDeduction(puzzle, timeLimit);
    if (key.verdict == spanwright::KeyVerdict::Unique) return key;
    key = exact(puzzle);
    if (key.verdict == spanwright::KeyVerdict::Unique) {
        std::fprintf(stderr,
                     "%s: %s:%ld: warning: puzzle %ld has one solution, but deduction cannot "
                     "reach it; its key tile shows the solution\n",
                     PROGRAM, origin.file.c_str(), origin.line, number);
        return key;
    }
    std::fprintf(stderr, "%s: %s:%ld: warning: puzzle %ld %s; its key tile says so\n", PROGRAM,
                 origin.file.c_str(), origin.line, number, faultOf(key, timeLimit).c_str());
    return key;
}

/// With --strict, a puzzle is published only when deduction solves it, which proves its one
/// solution; anything else is told, with the reason the exact search finds, and the run is
/// refused once every puzzle has been looked at.
bool fitForStrict(const spanwright::Puzzle& puzzle, long number, Origin origin, double timeLimit) {
    if (spanwright::solveByDeduction(puzzle, timeLimit).verdict == spanwright::KeyVerdict::Unique)
        return true;
    const spanwright::KeySolution key = exactSolutionSource(timeLimit)(puzzle);
    std::string why = faultOf(key, timeLimit);
    if (why.empty()) why = "has one solution, but deduction cannot reach it";
    std::fprintf(stderr, "%s: %s:%ld: error: puzzle %ld %s\n", PROGRAM, origin.file.c_str(),
                 origin.line, number, why.c_str());
    return false;
}

namespace {

constexpr const char* RULES_EXAMPLE =
    "1/7/7/....2../......./..4.8.4/.....2./....2.4/2.6..4./......2/";

/// The puzzles that wait for the key pages, kept in an unnamed temporary file rather than in
/// memory: the key pages come after every puzzle page, so the puzzles are read twice.
class KeySpool {
  public:
    KeySpool() : file_(std::tmpfile()) {}
    ~KeySpool() {
        if (file_) std::fclose(file_);
    }
    KeySpool(const KeySpool&) = delete;
    KeySpool& operator=(const KeySpool&) = delete;

    bool ready() const { return file_ != nullptr; }

    bool put(const spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
        Record record{};  // whole, padding included, so that no byte written is undefined
        record.file = origin.file;
        record.line = origin.line;
        record.width = puzzle.width;
        record.height = puzzle.height;
        record.difficulty = puzzle.difficulty;
        return std::fwrite(&record, sizeof record, 1, file_) == 1 &&
               std::fwrite(puzzle.cells.get(), 1, std::size_t(puzzle.cellCount()), file_) ==
                   std::size_t(puzzle.cellCount());
    }

    /// Back to the first puzzle; false when what was put did not all land.
    bool rewind() { return std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0; }

    /// The next puzzle; false at the end.
    bool get(spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin& origin) {
        Record record{};
        if (std::fread(&record, sizeof record, 1, file_) != 1) return false;
        puzzle.width = record.width;
        puzzle.height = record.height;
        puzzle.difficulty = record.difficulty;
        puzzle.allocateCells();
        origin = {record.file, record.line};
        return std::fread(puzzle.cells.get(), 1, std::size_t(puzzle.cellCount()), file_) ==
               std::size_t(puzzle.cellCount());
    }

  private:
    struct Record {
        int file;
        long line;
        std::int8_t width;
        std::int8_t height;
        std::int8_t difficulty;
    };
    std::FILE* file_;
};

/// The layout of each section: the book's sheet and lengths with the section's densities.
std::vector<spanwright::LayoutOptions> sectionLayouts(const Options& options) {
    std::vector<spanwright::LayoutOptions> layouts;
    for (const Section& section : options.sections) {
        spanwright::LayoutOptions layout;
        layout.paper = options.paper;
        layout.perPage = int(section.perPage);
        layout.keyPerPage = int(section.keyPerPage);
        layout.key = options.solutions;
        layout.proof = options.proof;
        layout.margin = options.margin * spanwright::POINTS_PER_MM;
        layout.gutter = options.gutter * spanwright::POINTS_PER_MM;
        layout.minCell = options.minCell * spanwright::POINTS_PER_MM;
        layout.minKeyCell = options.minKeyCell * spanwright::POINTS_PER_MM;
        layouts.push_back(layout);
    }
    return layouts;
}

/// One run: the puzzles read once into a spool, so that the book can be planned whole (its
/// page count, the contents, how many puzzles --pages takes of each section) before any
/// page is drawn; then the front matter, the puzzle pages and the key pages drawn a page at a
/// time from the spool, then any blank pages. Only the puzzles of the open page are held.
class BookRun {
  public:
    BookRun(const Options& options, spanwright::BookOutput& output)
        : options_(options),
          output_(output),
          layouts_(sectionLayouts(options)),
          frame_(spanwright::bookFrame(layouts_.front())),
          boards_(options.sections.size()) {
        std::transform(options.files.begin(), options.files.end(), std::back_inserter(shownNames_),
                       [](const std::string& file) { return spanwright::shownFileName(file); });
        open_.title = options.title;
        open_.dots = options.dots;
        open_.caption = options.caption;
        open_.titlePage = options.titlePage;
        std::transform(options.sections.begin(), options.sections.end(),
                       std::back_inserter(open_.sections),
                       [](const Section& section) { return section.heading; });
    }

    /// Draws the whole book; false once something was said to have gone wrong.
    bool run() {
        if (!spool_.ready()) return fail("cannot make a temporary file for the puzzles");
        const bool read = spanwright::readPuzzles(
            PROGRAM, options_.files,
            // cppcheck-suppress constParameter
            [this](spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
                return take(puzzle, origin);
            },
            options_.strict);
        if (!read) return false;
        if (count_ == 0) return fail("no problem lines to lay out; nothing written");
        if (!plan() || !drawFrontMatter() || !drawPuzzles()) return false;
        if (refused_ > 0)
            return fail("--strict: %d puzzle%s cannot go into the book; nothing written", refused_,
                        refused_ == 1 ? "" : "s");
        if (withKey() && !drawKey()) return false;
        for (int blank = 0; blank < padding_; ++blank)
            if (!drawAndMoveOn(spanwright::blankPage(pageNumber(bodyPages_ + blank)))) return false;
        return true;
    }

  private:
    bool withKey() const { return options_.solutions && !options_.proof; }
    int pageNumber(int index) const { return int(options_.firstPage) + index; }
    long numberOf(int index) const { return options_.firstNumber + index; }
    long dayOf(int index) const {
        return options_.firstDay == spanwright::NO_DAY
                   ? spanwright::NO_DAY
                   : options_.firstDay + long(index) * options_.dateStep;
    }
    spanwright::PageKind puzzleKind() const {
        return options_.proof ? spanwright::PageKind::Proof : spanwright::PageKind::Puzzles;
    }

    /// Spools a puzzle and notes its size. Without --pages every puzzle goes into the book,
    /// so a book past --max-pages is refused as soon as it is, not after reading on.
    bool take(const spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
        const std::size_t section = std::size_t(options_.fileSections[std::size_t(origin.file)]);
        if (!spool_.put(puzzle, origin)) return fail("cannot keep the puzzles for the book");
        const spanwright::BoardSize size{puzzle.width, puzzle.height};
        boards_[section].push_back(size);
        ++count_;
        if (options_.pages > 0) return true;
        if (int(section) != countedSection_) {
            if (countStream_) closedPages_ += countStream_->pages();
            if (keyCountStream_) closedPages_ += keyCountStream_->pages();
            countedSection_ = int(section);
            countStream_ =
                std::make_unique<spanwright::PageStream>(layouts_[section], puzzleKind(), 1);
            keyCountStream_.reset();
            if (withKey())
                keyCountStream_ = std::make_unique<spanwright::PageStream>(
                    layouts_[section], spanwright::PageKind::Key, 1);
        }
        spanwright::PagePlan unused;
        countStream_->add(size, unused);
        if (keyCountStream_) keyCountStream_->add(size, unused);
        const int pages =
            closedPages_ + countStream_->pages() + (keyCountStream_ ? keyCountStream_->pages() : 0);
        if (pages + spanwright::paddingPages(pages, int(options_.padTo)) > options_.maxPages)
            return fail(
                "the book would have more than %ld pages (see --max-pages); nothing written",
                options_.maxPages);
        return true;
    }

    /// The name a section goes by in the contents and in messages.
    std::string sectionName(std::size_t section) const {
        const std::string& heading = options_.sections[section].heading;
        if (!heading.empty()) return heading;
        if (options_.sections.size() > 1) return "Section " + std::to_string(section + 1);
        return options_.title.empty() ? "Puzzles" : options_.title;
    }

    /// Chooses the puzzles of each section, counts the pages and fills in the contents.
    bool plan() {
        std::vector<spanwright::SectionBoards> sections;
        int filled = 0;  // sections with puzzles
        for (std::size_t s = 0; s < boards_.size(); ++s) {
            sections.push_back(spanwright::SectionBoards{layouts_[s], boards_[s]});
            if (!boards_[s].empty()) ++filled;
        }
        const int contentsLines = (options_.rules ? 1 : 0) + filled * (withKey() ? 2 : 1);
        const int perContentsPage = spanwright::contentsLinesPerPage(layouts_.front());
        const int contentsPages =
            options_.contents ? (contentsLines + perContentsPage - 1) / perContentsPage : 0;
        frontPages_ =
            (options_.titlePage.empty() ? 0 : 1) + (options_.rules ? 1 : 0) + contentsPages;
        for (const std::vector<spanwright::BoardSize>& section : boards_)
            // cppcheck-suppress useStlAlgorithm
            counts_.push_back(int(section.size()));
        if (options_.pages > 0) {
            const spanwright::PageFit fit = spanwright::fitToPages(
                sections, frontPages_, int(options_.padTo), int(options_.pages));
            if (!fit.met) return cannotMeet(fit);
            counts_ = fit.counts;
        }
        // The pages of each section as chosen, and where each starts.
        std::vector<int> puzzleStarts;
        std::vector<int> keyStarts;
        int pages = frontPages_;
        for (std::size_t s = 0; s < sections.size(); ++s) {
            puzzleStarts.push_back(pages);
            pages += spanwright::prefixPages(layouts_[s], puzzleKind(),
                                             boards_[s])[std::size_t(counts_[s])];
        }
        puzzlePages_ = pages - frontPages_;
        for (std::size_t s = 0; s < sections.size() && withKey(); ++s) {
            keyStarts.push_back(pages);
            pages += spanwright::prefixPages(layouts_[s], spanwright::PageKind::Key,
                                             boards_[s])[std::size_t(counts_[s])];
        }
        bodyPages_ = pages;
        padding_ = spanwright::paddingPages(pages, int(options_.padTo));
        if (pages + padding_ > options_.maxPages)
            return fail(
                "the book would have more than %ld pages (see --max-pages); nothing written",
                options_.maxPages);
        int chosen = 0;
        for (const int count : counts_)
            // cppcheck-suppress useStlAlgorithm
            chosen += count;
        // The contents: the rules, each section, then each section's key.
        if (options_.rules)
            open_.contents.push_back(
                {"How to play", pageNumber(options_.titlePage.empty() ? 0 : 1)});
        for (std::size_t s = 0; s < sections.size(); ++s)
            if (counts_[s] > 0)
                open_.contents.push_back({sectionName(s), pageNumber(puzzleStarts[s])});
        for (std::size_t s = 0; s < keyStarts.size(); ++s)
            if (counts_[s] > 0)
                open_.contents.push_back(
                    {filled > 1 ? "Solutions: " + sectionName(s) : std::string("Solutions"),
                     pageNumber(keyStarts[s])});
        open_.titleNote = spanwright::formatText("%d puzzle%s%s", chosen, chosen == 1 ? "" : "s",
                                                 withKey() ? ", with their solutions" : "");
        return true;
    }

    /// Says why --pages cannot be met, and which page counts can.
    bool cannotMeet(const spanwright::PageFit& fit) {
        const long target = options_.pages;
        std::string can;
        if (target < fit.fewest)
            can = spanwright::formatText("the fewest pages the book can have is %d (%s)",
                                         fit.fewest, frontText().c_str());
        else if (target > fit.most)
            can = spanwright::formatText(
                "all %d puzzles of the files fill only %d pages: give more puzzles or ask for "
                "fewer pages",
                count_, fit.most);
        else if (fit.below > 0 && fit.above > 0)
            can = spanwright::formatText("the nearest page counts that can be made are %d and %d",
                                         fit.below, fit.above);
        else
            can = spanwright::formatText("the nearest page count that can be made is %d",
                                         std::max(fit.below, fit.above));
        if (options_.padTo > 1 && target % options_.padTo != 0)
            can += spanwright::formatText(" (and --pad-to %ld needs a multiple of %ld)",
                                          options_.padTo, options_.padTo);
        return fail("--pages %ld cannot be met: %s; nothing written", target, can.c_str());
    }

    /// What the smallest book holds, for messages: "one puzzle of each section and the key".
    std::string frontText() const {
        std::string text =
            options_.proof ? "one proof of each section" : "one puzzle of each section";
        if (frontPages_ > 0)
            text += withKey() ? ", the front matter and the key" : " and the front matter";
        else if (withKey())
            text += " and the key";
        return text;
    }

    bool drawFrontMatter() {
        int index = 0;
        const spanwright::LayoutOptions& layout = layouts_.front();
        if (!options_.titlePage.empty() &&
            !drawAndMoveOn(
                spanwright::frontPage(layout, spanwright::PageKind::Title, pageNumber(index++))))
            return false;
        if (options_.rules) {
            spanwright::Puzzle example;
            if (!spanwright::parseProblemLine(example, RULES_EXAMPLE))
                return fail("the example of the rules page does not read");
            open_.example.key = spanwright::solveByDeduction(example);
            open_.example.puzzle = std::move(example);
            if (!drawAndMoveOn(spanwright::frontPage(layout, spanwright::PageKind::Rules,
                                                     pageNumber(index++))))
                return false;
        }
        if (!options_.contents) return true;
        const int perPage = spanwright::contentsLinesPerPage(layout);
        for (int line = 0; line < int(open_.contents.size()); line += perPage) {
            spanwright::PagePlan page =
                spanwright::frontPage(layout, spanwright::PageKind::Contents, pageNumber(index++));
            page.firstLine = line;
            page.lines = std::min(perPage, int(open_.contents.size()) - line);
            if (!drawAndMoveOn(page)) return false;
        }
        return true;
    }

    /// The next puzzle of the spool that the book takes; false at the end or on a failure
    /// (`failed` says which).
    bool nextChosen(spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin& origin, int& section,
                    std::vector<int>& taken, bool& failed) {
        failed = false;
        while (read_ < count_) {
            ++read_;
            if (!spool_.get(puzzle, origin)) {
                failed = true;
                return fail("cannot read back the puzzles");
            }
            section = options_.fileSections[std::size_t(origin.file)];
            if (taken[std::size_t(section)]++ < counts_[std::size_t(section)]) return true;
        }
        return false;
    }

    bool drawPuzzles() {
        if (!spool_.rewind()) return fail("cannot keep the puzzles for the book");
        read_ = 0;
        std::vector<int> taken(counts_.size(), 0);
        std::unique_ptr<spanwright::PageStream> stream;
        int drawn = 0;  // puzzle pages of the sections before
        int section = -1;
        int index = 0;
        spanwright::Puzzle puzzle;
        spanwright::PuzzleOrigin origin;
        spanwright::PagePlan page;
        const spanwright::SolutionSource exact = exactSolutionSource(options_.timeLimit, &left_);
        bool failed = false;
        int next = -1;
        while (nextChosen(puzzle, origin, next, taken, failed)) {
            if (!stream || next != section) {
                // A section starts on a page of its own.
                if (stream) {
                    if (stream->finish(page) && !drawPuzzlePage(page)) return false;
                    drawn += stream->pages();
                }
                section = next;
                stream = std::make_unique<spanwright::PageStream>(
                    layouts_[std::size_t(section)], puzzleKind(), pageNumber(frontPages_ + drawn),
                    section, index);
            }
            if (stream->add(spanwright::BoardSize{puzzle.width, puzzle.height}, page) &&
                !drawPuzzlePage(page))
                return false;
            const Origin shown{shownNames_[std::size_t(origin.file)], origin.line};
            // The time limit bounds all the work on one puzzle: the strict check, the
            // rating and the key's search share it, the key drawn later included.
            const double start = spanwright::threadCpuSeconds();
            if (options_.strict &&
                !fitForStrict(puzzle, numberOf(index), shown, options_.timeLimit))
                ++refused_;
            // The caption names the level a player knows a puzzle by; the problem line's
            // grade weighs the solver's work, which mostly follows the size.
            spanwright::explain::Options ratingOptions;
            if (options_.timeLimit > 0)
                ratingOptions.cpuSeconds =
                    std::max(1e-9, options_.timeLimit - (spanwright::threadCpuSeconds() - start));
            const spanwright::explain::Explanation rating =
                spanwright::explain::explainPuzzle(puzzle, ratingOptions);
            left_ = options_.timeLimit - (spanwright::threadCpuSeconds() - start);
            if (rating.stopped) {
                left_ = 0;
                std::fprintf(stderr,
                             "%s: %s:%ld: warning: puzzle %ld was not rated: the time limit of "
                             "%g s was reached; its caption has no level\n",
                             PROGRAM, shown.file.c_str(), shown.line, numberOf(index),
                             options_.timeLimit);
            }
            if (withKey()) timeLeft_.push_back(left_);
            std::string level;
            if (rating.solved) level = spanwright::explain::rungName(rating.level);
            spanwright::KeySolution key;
            if (options_.proof && refused_ == 0)
                key = solveForKey(exact, options_.timeLimit, puzzle, numberOf(index), shown);
            open_.puzzles.push_back(spanwright::SheetPuzzle{std::move(puzzle), int(numberOf(index)),
                                                            std::move(key), std::move(level),
                                                            rating.score, dayOf(index)});
            origins_.push_back(origin);
            ++index;
        }
        if (failed) return false;
        return !stream || !stream->finish(page) || drawPuzzlePage(page);
    }

    bool drawPuzzlePage(const spanwright::PagePlan& page) {
        for (const spanwright::TilePlan& tile : page.tiles) {
            if (!tile.belowMinimum) continue;
            const spanwright::PuzzleOrigin& origin =
                origins_[std::size_t(tile.puzzle - open_.first)];
            std::fprintf(stderr,
                         "%s: %s:%ld: warning: puzzle %ld is drawn at %.1f mm a cell, smaller "
                         "than the %.1f mm asked for (see --min-cell)\n",
                         PROGRAM, shownNames_[std::size_t(origin.file)].c_str(), origin.line,
                         numberOf(tile.puzzle), tile.cell / spanwright::POINTS_PER_MM,
                         options_.minCell);
        }
        return drawAndMoveOn(page);
    }

    /// Says, once for each section and size, that a page takes fewer boards than asked
    /// for: the smallest cell is kept rather than the count.
    void noteShortfall(const spanwright::PagePlan& page) {
        if (page.fitted >= page.asked) return;
        const bool key = page.kind == spanwright::PageKind::Key;
        const std::string said =
            spanwright::formatText("%d %d %d %dx%d", page.section, int(key), page.asked,
                                   page.extent.width, page.extent.height);
        if (std::find(noted_.begin(), noted_.end(), said) != noted_.end()) return;
        noted_.push_back(said);
        const std::string& heading = options_.sections[std::size_t(page.section)].heading;
        const std::string where =
            heading.empty() ? (options_.sections.size() > 1
                                   ? spanwright::formatText("section %d: ", page.section + 1)
                                   : std::string())
                            : heading + ": ";
        const bool proof = page.kind == spanwright::PageKind::Proof;
        const spanwright::BoardSize extent{
            proof ? (page.extent.width - spanwright::PROOF_GAP) / 2 : page.extent.width,
            page.extent.height};
        std::fprintf(stderr,
                     "%s: note: %s%s of %dx%d go %d a page, not %d: more would be drawn "
                     "smaller than %.1f mm a cell%s (see %s)\n",
                     PROGRAM, where.c_str(), key ? "key boards" : (proof ? "proofs" : "puzzles"),
                     extent.width, extent.height, page.fitted, page.asked,
                     key ? options_.minKeyCell : options_.minCell,
                     key ? " or leave a gap in the grid" : "",
                     key ? "--min-key-cell" : "--min-cell");
    }

    /// Draws the page from the open puzzles, which it then lets go.
    bool drawAndMoveOn(const spanwright::PagePlan& page) {
        // Once --strict has refused a puzzle nothing more is drawn: the book is not made,
        // but every puzzle is still looked at, so that all of them are told at once.
        if (refused_ == 0) {
            noteShortfall(page);
            if (!output_.addPage(open_, frame_, page)) return false;
        }
        open_.first += int(open_.puzzles.size());
        open_.puzzles.clear();
        origins_.clear();
        return true;
    }

    bool drawKey() {
        if (!spool_.rewind()) return fail("cannot keep the puzzles for the key");
        read_ = 0;
        std::vector<int> taken(counts_.size(), 0);
        const spanwright::SolutionSource exact = exactSolutionSource(options_.timeLimit, &left_);
        std::unique_ptr<spanwright::PageStream> keyPages;
        int drawn = 0;  // key pages of the sections before
        int section = -1;
        open_.first = 0;
        spanwright::Puzzle puzzle;
        spanwright::PuzzleOrigin origin;
        spanwright::PagePlan page;
        bool failed = false;
        int next = -1;
        for (int index = 0; nextChosen(puzzle, origin, next, taken, failed); ++index) {
            if (!keyPages || next != section) {
                if (keyPages) {
                    if (keyPages->finish(page) && !drawAndMoveOn(page)) return false;
                    drawn += keyPages->pages();
                }
                section = next;
                keyPages = std::make_unique<spanwright::PageStream>(
                    layouts_[std::size_t(section)], spanwright::PageKind::Key,
                    pageNumber(frontPages_ + puzzlePages_ + drawn), section, index);
            }
            if (keyPages->add(spanwright::BoardSize{puzzle.width, puzzle.height}, page) &&
                !drawAndMoveOn(page))
                return false;
            left_ = std::size_t(index) < timeLeft_.size() ? timeLeft_[std::size_t(index)]
                                                          : options_.timeLimit;
            spanwright::KeySolution key =
                solveForKey(exact, options_.timeLimit, puzzle, numberOf(index),
                            Origin{shownNames_[std::size_t(origin.file)], origin.line});
            open_.puzzles.push_back(spanwright::SheetPuzzle{
                std::move(puzzle), int(numberOf(index)), std::move(key), {}, 0, dayOf(index)});
        }
        if (failed) return false;
        return !keyPages || !keyPages->finish(page) || drawAndMoveOn(page);
    }

    static bool fail(const char* format, ...) __attribute__((format(printf, 1, 2))) {
        va_list arguments;
        va_start(arguments, format);
        spanwright::printErrorV(PROGRAM, format, arguments);
        va_end(arguments);
        return false;
    }

    const Options& options_;
    spanwright::BookOutput& output_;
    std::vector<spanwright::LayoutOptions> layouts_;
    spanwright::BookPlan frame_;
    std::vector<std::vector<spanwright::BoardSize>> boards_;  ///< each section's, as read
    std::vector<int> counts_;  ///< the puzzles the book takes of each section
    // Pages counted as the puzzles are read, for --max-pages.
    std::unique_ptr<spanwright::PageStream> countStream_;
    std::unique_ptr<spanwright::PageStream> keyCountStream_;
    int countedSection_ = -1;
    int closedPages_ = 0;
    int frontPages_ = 0;
    int puzzlePages_ = 0;  ///< puzzle (or proof) pages of the whole book
    int bodyPages_ = 0;    ///< every page but the blank ones at the end
    int padding_ = 0;
    std::vector<std::string> shownNames_;
    spanwright::Book open_;  ///< the puzzles of the page being filled
    std::vector<spanwright::PuzzleOrigin> origins_;
    int count_ = 0;  ///< puzzles read
    int read_ = 0;   ///< puzzles read back from the spool in this pass
    int refused_ = 0;
    /// What the current puzzle's earlier work left of the time limit, and that of every
    /// puzzle of the book for its key, which is drawn in a pass of its own.
    double left_ = 0;
    std::vector<double> timeLeft_;
    std::vector<std::string> noted_;
    KeySpool spool_;
};

}  // namespace

bool writeBook(const Options& options, BookOutput& output) {
    BookRun run(options, output);
    return run.run();
}

}  // namespace spanwright::sheet
