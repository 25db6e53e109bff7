#include "render/page_drawing.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace spanwright {
namespace {

constexpr const char* FONT = "DejaVu Sans";
constexpr double PI = 3.14159265358979323846;

// Sizes in points, or as fractions of a cell where they grow with the board.
constexpr double HEADING_FONT = 16.0;
constexpr double FOOTER_FONT = 10.0;
constexpr double PUZZLE_CAPTION_FONT = 10.0;
constexpr double KEY_CAPTION_FONT = 9.0;
constexpr double SMALLEST_FONT = 5.0;
constexpr double ISLAND_RADIUS = 0.40;  // of a cell: a gap between neighbouring circles
constexpr double NUMBER_FONT = 0.56;    // of a cell
constexpr double RING_WIDTH = 0.065;    // of a cell, within the limits below
constexpr double RING_MIN = 0.75;
constexpr double RING_MAX = 1.8;
constexpr double BRIDGE_WIDTH = 0.08;  // of a cell
constexpr double BRIDGE_MIN = 0.8;
constexpr double BRIDGE_MAX = 1.6;
constexpr double DOUBLE_GAP = 0.13;  // of a cell, between the centre and each line of a pair
constexpr double DOT_RADIUS = 0.05;  // of a cell
constexpr double DOT_GREY = 0.62;
constexpr double CAPTION_GREY = 0.25;
constexpr double NUMBER_SCALE = 1.3;  // the puzzle number of a caption, to the rest

struct Point {
    double x;
    double y;
};

Point cellCentre(const TilePlan& tile, int row, int column) {
    return {tile.board.x + (column + 0.5) * tile.cell, tile.board.y + (row + 0.5) * tile.cell};
}

void selectFont(cairo_t* cr, bool bold, double size) {
    cairo_select_font_face(cr, FONT, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

/// Shows one line of text centred on `centreX` with its baseline at `baseline`; a line
/// wider than `maxWidth` is set smaller, down to a readable least size, and clipped past
/// that rather than run into its neighbours.
void showCentred(cairo_t* cr, const std::string& text, bool bold, double size, double centreX,
                 double baseline, double maxWidth) {
    selectFont(cr, bold, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    if (extents.x_advance > maxWidth && extents.x_advance > 0) {
        selectFont(cr, bold, std::max(SMALLEST_FONT, size * maxWidth / extents.x_advance));
        cairo_text_extents(cr, text.c_str(), &extents);
    }
    cairo_save(cr);
    cairo_rectangle(cr, centreX - maxWidth / 2, baseline - 2 * size, maxWidth, 3 * size);
    cairo_clip(cr);
    cairo_move_to(cr, centreX - std::min(extents.x_advance, maxWidth) / 2, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

/// Shows a caption centred on `centreX`: the number runs larger and bold, in black, the rest
/// in grey. Set smaller as a whole when wider than `maxWidth`, as showCentred does.
void showCaption(cairo_t* cr, const std::vector<CaptionRun>& runs, double size, double centreX,
                 double baseline, double maxWidth) {
    const auto measure = [&](double scale) {
        double width = 0;
        for (const CaptionRun& run : runs) {
            selectFont(cr, run.number, size * scale * (run.number ? NUMBER_SCALE : 1.0));
            cairo_text_extents_t extents;
            cairo_text_extents(cr, run.text.c_str(), &extents);
            width += extents.x_advance;
        }
        return width;
    };
    double scale = 1.0;
    double width = measure(scale);
    if (width > maxWidth && width > 0) {
        scale = std::max(SMALLEST_FONT / size, maxWidth / width);
        width = measure(scale);
    }
    cairo_save(cr);
    cairo_rectangle(cr, centreX - maxWidth / 2, baseline - 2 * size * NUMBER_SCALE, maxWidth,
                    3 * size * NUMBER_SCALE);
    cairo_clip(cr);
    cairo_move_to(cr, centreX - std::min(width, maxWidth) / 2, baseline);
    for (const CaptionRun& run : runs) {
        selectFont(cr, run.number, size * scale * (run.number ? NUMBER_SCALE : 1.0));
        const double grey = run.number ? 0.0 : CAPTION_GREY;
        cairo_set_source_rgb(cr, grey, grey, grey);
        cairo_show_text(cr, run.text.c_str());
    }
    cairo_restore(cr);
}

/// Shows text with the middle of its ink on the point: digits sit in the optical centre
/// of their circle whatever their bearings.
void showInkCentred(cairo_t* cr, const char* text, Point centre) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, centre.x - extents.x_bearing - extents.width / 2,
                  centre.y - extents.y_bearing - extents.height / 2);
    cairo_show_text(cr, text);
}

void drawDots(cairo_t* cr, const TilePlan& tile, const Puzzle& puzzle) {
    cairo_set_source_rgb(cr, DOT_GREY, DOT_GREY, DOT_GREY);
    const double radius = std::max(0.5, DOT_RADIUS * tile.cell);
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c) {
            if (puzzle.cells[r * puzzle.width + c] != 0) continue;
            const Point centre = cellCentre(tile, r, c);
            cairo_new_sub_path(cr);
            cairo_arc(cr, centre.x, centre.y, radius, 0, 2 * PI);
        }
    cairo_fill(cr);
}

void drawBridges(cairo_t* cr, const TilePlan& tile, const Solution& bridges) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, std::clamp(BRIDGE_WIDTH * tile.cell, BRIDGE_MIN, BRIDGE_MAX));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (const Bridge& bridge : bridges) {
        const Point from = cellCentre(tile, bridge.row1, bridge.column1);
        const Point to = cellCentre(tile, bridge.row2, bridge.column2);
        // The pair of a double bridge lies either side of the line between the centres,
        // across the direction of the bridge.
        const bool across = bridge.row1 == bridge.row2;
        const double gap = DOUBLE_GAP * tile.cell;
        for (const double offset :
             bridge.bridges == 2 ? std::vector<double>{-gap, gap} : std::vector<double>{0.0}) {
            const double dx = across ? 0 : offset;
            const double dy = across ? offset : 0;
            cairo_move_to(cr, from.x + dx, from.y + dy);
            cairo_line_to(cr, to.x + dx, to.y + dy);
        }
    }
    cairo_stroke(cr);
}

/// Circles with their numbers; `grey` for the board of a key tile that has no answer.
void drawIslands(cairo_t* cr, const TilePlan& tile, const Puzzle& puzzle, double grey) {
    const double radius = ISLAND_RADIUS * tile.cell;
    selectFont(cr, true, NUMBER_FONT * tile.cell);
    cairo_set_line_width(cr, std::clamp(RING_WIDTH * tile.cell, RING_MIN, RING_MAX));
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c) {
            const int code = puzzle.cells[r * puzzle.width + c];
            if (code == 0) continue;
            const Point centre = cellCentre(tile, r, c);
            cairo_new_path(cr);
            cairo_arc(cr, centre.x, centre.y, radius, 0, 2 * PI);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, grey, grey, grey);
            cairo_stroke(cr);
            const char digit[2] = {char('0' + code - ISLAND_BASE), '\0'};
            showInkCentred(cr, digit, centre);
        }
}

/// A label across the middle of a key board that has no solution to show. "Not decided"
/// rather than "no solution found": a search that ran out of time proves nothing, and a
/// reader must not take the puzzle for one without a solution.
void drawNoAnswer(cairo_t* cr, const TilePlan& tile, KeyVerdict verdict) {
    const std::string text = verdict == KeyVerdict::Unknown ? "not decided" : "no unique solution";
    const double width = std::max(tile.board.width, 60.0);
    const double size = std::clamp(tile.board.width / 10, 7.0, 12.0);
    const double height = 2 * size;
    const double x = tile.board.x + (tile.board.width - width) / 2;
    const double y = tile.board.y + (tile.board.height - height) / 2;
    cairo_rectangle(cr, x, y, width, height);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    showCentred(cr, text, true, size, x + width / 2, y + height / 2 + 0.36 * size, width - 4);
}

void drawTile(cairo_t* cr, const Book& book, const TilePlan& tile, PageKind kind) {
    const SheetPuzzle& entry = book.puzzles[std::size_t(tile.puzzle - book.first)];
    if (kind == PageKind::Proof) {
        // The puzzle on the left, its solution to its right, as the layout planned.
        TilePlan half = tile;
        half.board.width = entry.puzzle.width * tile.cell;
        drawBoard(cr, entry, half, PageKind::Puzzles, book.dots);
        half.board.x += (entry.puzzle.width + PROOF_GAP) * tile.cell;
        drawBoard(cr, entry, half, PageKind::Key, book.dots);
    } else {
        drawBoard(cr, entry, tile, kind, book.dots);
    }
    cairo_save(cr);
    const double size = kind == PageKind::Key ? KEY_CAPTION_FONT : PUZZLE_CAPTION_FONT;
    showCaption(cr, book.caption.fill(entry), size, tile.caption.x + tile.caption.width / 2,
                tile.caption.y + tile.caption.height - 5, tile.caption.width);
    cairo_restore(cr);
}

/// Sets `text` in lines no wider than `width` from `y` down, breaking between words; returns
/// where the next line would go. Only measures when not `drawn`.
double showParagraph(cairo_t* cr, const std::string& text, double size, double x, double y,
                     double width, bool drawn = true) {
    selectFont(cr, false, size);
    const double leading = 1.45 * size;
    std::string line;
    std::size_t at = 0;
    const auto flush = [&] {
        if (drawn) {
            cairo_move_to(cr, x, y + size);
            cairo_show_text(cr, line.c_str());
        }
        y += leading;
        line.clear();
    };
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        std::string longer = line;
        if (!longer.empty()) longer += ' ';
        longer += word;
        cairo_text_extents_t extents;
        cairo_text_extents(cr, longer.c_str(), &extents);
        if (extents.x_advance > width && !line.empty()) {
            flush();
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    if (!line.empty()) flush();
    return y;
}

constexpr double TITLE_FONT = 30.0;
constexpr double BODY_FONT = 11.0;

// The rules in a few sentences, for a reader who has never met the puzzle.
constexpr const char* RULES[] = {
    "Every circle is an island, and its number says how many bridges end at it.",
    "Join the islands with bridges that run straight across or straight down, over water, "
    "from one island to the next. Two islands are joined by one bridge or two, never more, "
    "and no bridge crosses another or runs over an island.",
    "The puzzle is solved when every island has exactly its number of bridges and all the "
    "islands are linked into one group, so that you could walk from any island to any other.",
    "Start with what is certain: the 8 below has four neighbours and needs two bridges to "
    "each of them, and an island of 1 with a single neighbour is joined to it. Each bridge "
    "drawn leaves less choice to the islands around it.",
};

void drawTitlePage(cairo_t* cr, const Book& book, const PagePlan& page) {
    const Rect body = bodyOf(page);
    cairo_set_source_rgb(cr, 0, 0, 0);
    const double centre = body.x + body.width / 2;
    // The title a third of the way down, set smaller to fit rather than broken.
    showCentred(cr, book.titlePage, true, TITLE_FONT, centre, body.y + body.height / 3, body.width);
    if (!book.titleNote.empty()) {
        cairo_set_source_rgb(cr, CAPTION_GREY, CAPTION_GREY, CAPTION_GREY);
        showCentred(cr, book.titleNote, false, 2 * PUZZLE_CAPTION_FONT / 1.5, centre,
                    body.y + body.height / 3 + 2 * TITLE_FONT, body.width);
    }
}

void drawRulesPage(cairo_t* cr, const Book& book, const PagePlan& page) {
    const Rect body = bodyOf(page);
    cairo_set_source_rgb(cr, 0, 0, 0);
    // The rules take at most half the page, set smaller on a small sheet, so that the
    // example keeps its room.
    double size = BODY_FONT;
    for (int shrink = 0;; ++shrink) {
        size = BODY_FONT * std::pow(0.9, shrink);
        double end = body.y + 6;
        for (const char* paragraph : RULES)
            // cppcheck-suppress useStlAlgorithm
            end = showParagraph(cr, paragraph, size, body.x, end, body.width, false) + 0.6 * size;
        if (end - body.y <= body.height / 2 || size < SMALLEST_FONT) break;
    }
    double y = body.y + 6;
    for (const char* paragraph : RULES)
        // cppcheck-suppress useStlAlgorithm
        y = showParagraph(cr, paragraph, size, body.x, y, body.width) + 0.6 * size;
    // The example blank and solved side by side, as large as the room left allows, in the
    // tiles and captions of the book's own pages.
    const Puzzle& puzzle = book.example.puzzle;
    if (puzzle.width == 0) return;
    const double gap = 36.0;
    const double captionRoom = 24.0;
    const double room = body.y + body.height - y - captionRoom - 12;
    const double cell = std::max(0.0, std::min({MAX_CELL, (body.width - gap) / (2.0 * puzzle.width),
                                                room / puzzle.height, 11.0 * POINTS_PER_MM}));
    const double width = puzzle.width * cell;
    const double left = body.x + (body.width - 2 * width - gap) / 2;
    // In the middle of the room below the text, where a short page would leave a hole.
    const double top = y + 12 + std::max(0.0, (room - puzzle.height * cell) / 2);
    const char* const captions[] = {"The puzzle", "Solved"};
    for (int side = 0; side < 2; ++side) {
        TilePlan tile;
        tile.cell = cell;
        tile.board = Rect{left + side * (width + gap), top, width, puzzle.height * cell};
        drawBoard(cr, book.example, tile, side == 0 ? PageKind::Puzzles : PageKind::Key, book.dots);
        cairo_set_source_rgb(cr, CAPTION_GREY, CAPTION_GREY, CAPTION_GREY);
        showCentred(cr, captions[side], false, PUZZLE_CAPTION_FONT, tile.board.x + width / 2,
                    tile.board.y + tile.board.height + captionRoom - 6, width + gap);
    }
}

void drawContentsPage(cairo_t* cr, const Book& book, const PagePlan& page) {
    const Rect body = bodyOf(page);
    selectFont(cr, false, BODY_FONT + 1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    const double indent = body.width / 8;
    const double right = body.x + body.width - indent;
    // The leaders of every line end in one column, before the widest page number.
    double widest = 0;
    for (int k = 0; k < page.lines; ++k) {
        const std::size_t at = std::size_t(page.firstLine) + std::size_t(k);
        if (at >= book.contents.size()) break;
        cairo_text_extents_t digits;
        cairo_text_extents(cr, std::to_string(book.contents[at].page).c_str(), &digits);
        widest = std::max(widest, digits.x_advance);
    }
    for (int k = 0; k < page.lines; ++k) {
        const std::size_t at = std::size_t(page.firstLine) + std::size_t(k);
        if (at >= book.contents.size()) break;
        const Book::ContentsLine& line = book.contents[at];
        const double baseline = body.y + (k + 1) * CONTENTS_LINE;
        const std::string number = std::to_string(line.page);
        cairo_text_extents_t text;
        cairo_text_extents_t digits;
        cairo_text_extents(cr, line.text.c_str(), &text);
        cairo_text_extents(cr, number.c_str(), &digits);
        cairo_move_to(cr, body.x + indent, baseline);
        cairo_show_text(cr, line.text.c_str());
        cairo_move_to(cr, right - digits.x_advance, baseline);
        cairo_show_text(cr, number.c_str());
        // Dot leaders from the text to the page number, on a common pitch so that the dots
        // of every line stand in columns.
        const double pitch = 6.0;
        cairo_set_source_rgb(cr, DOT_GREY, DOT_GREY, DOT_GREY);
        const double from = body.x + indent + text.x_advance + pitch;
        const double first = std::ceil((from - body.x - indent) / pitch);
        const double last = std::floor((right - widest - pitch - body.x - indent) / pitch);
        for (int dot = int(first); dot <= int(last); ++dot) {
            const double x = body.x + indent + pitch * dot;
            if (x >= right - widest - pitch) break;
            cairo_new_sub_path(cr);
            cairo_arc(cr, x, baseline - 1, 0.7, 0, 2 * PI);
        }
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
    }
}

}  // namespace

std::string captionOf(const SheetPuzzle& entry) {
    return joinRuns(CaptionTemplate().fill(entry));
}

std::string headingOf(const Book& book, const PagePlan& page) {
    if (page.kind == PageKind::Blank || page.kind == PageKind::Title) return "";
    if (page.kind == PageKind::Rules) return "How to play";
    if (page.kind == PageKind::Contents) return "Contents";
    const std::size_t section = std::size_t(page.section);
    const std::string& name = section < book.sections.size() && !book.sections[section].empty()
                                  ? book.sections[section]
                                  : book.title;
    if (page.kind == PageKind::Puzzles) return name;
    if (page.kind == PageKind::Proof) return name.empty() ? "Proof" : name + " \u2014 Proof";
    return name.empty() ? "Solutions" : name + " \u2014 Solutions";
}

void drawPage(cairo_t* cr, const Book& book, const BookPlan& /*plan*/, const PagePlan& page) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);

    // A blank page that pads the book is left white, without even its number.
    if (page.kind == PageKind::Blank) {
        cairo_restore(cr);
        return;
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    const std::string heading = headingOf(book, page);
    if (!heading.empty())
        showCentred(cr, heading, true, HEADING_FONT, page.heading.x + page.heading.width / 2,
                    page.heading.y + HEADING_FONT, page.heading.width);
    // A title page counts in the numbering but, as in any book, shows no number.
    if (page.kind != PageKind::Title)
        showCentred(cr, std::to_string(page.number), false, FOOTER_FONT,
                    page.footer.x + page.footer.width / 2, page.footer.y + page.footer.height - 2,
                    page.footer.width);
    if (page.kind == PageKind::Title) drawTitlePage(cr, book, page);
    if (page.kind == PageKind::Rules) drawRulesPage(cr, book, page);
    if (page.kind == PageKind::Contents) drawContentsPage(cr, book, page);

    for (const TilePlan& tile : page.tiles)
        drawTile(cr, book, tile, page.kind);
    cairo_restore(cr);
}

void drawBoard(cairo_t* cr, const SheetPuzzle& entry, const TilePlan& tile, PageKind kind,
               bool dots) {
    cairo_save(cr);
    if (kind == PageKind::Puzzles) {
        if (dots) drawDots(cr, tile, entry.puzzle);
        drawIslands(cr, tile, entry.puzzle, 0.0);
    } else if (entry.key.verdict == KeyVerdict::Unique) {
        drawBridges(cr, tile, entry.key.bridges);
        drawIslands(cr, tile, entry.puzzle, 0.0);
    } else {
        drawIslands(cr, tile, entry.puzzle, 0.6);
        drawNoAnswer(cr, tile, entry.key.verdict);
    }
    cairo_restore(cr);
}

}  // namespace spanwright
