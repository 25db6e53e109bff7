#!/usr/bin/env python3
"""Records the golden outputs that tests/golden_test.cpp compares against.

usage: tools/golden_record.py BIN_DIR OUT_DIR

Makes a fixed, varied set of problem files (layouts grown at random and their clues, the
same with clues disturbed, dense random boards that over-bridge islands, crops of seeded
problems, boards of 1 x 1 up to 125 x 125), runs `spanwright d` and `spanwright s` of
BIN_DIR over each and `spanwright-seeded` for a table of seeds and sides, and writes every
input and output gzip-compressed to OUT_DIR. The solver and generator must never change a
byte of these, so the data is recorded once, from a trusted build, and only ever extended.
"""
import gzip
import os
import random
import subprocess
import sys

# Seeded runs: (seed, side, count). Counts shrink with the side so that the whole table
# stays quick to replay.
SEEDED_RUNS = [(1000 + side, side, 40 if side <= 12 else 12 if side <= 17 else 4 if side <= 21 else 1)
               for side in range(5, 26)]
SEEDED_RUNS += [(seed, 10, 5) for seed in range(1, 9)] + [(seed, 15, 3) for seed in range(1, 5)]
SEEDED_RUNS += [(0, 20, 2), (-1, 20, 1), (4294967295, 20, 1), (-2147483648, 18, 2)]


def problem_line(difficulty, rows):
    """rows: list of lists of clue numbers, 0 for water."""
    cells = "/".join("".join("." if v == 0 else str(v) for v in row) for row in rows)
    return "%d/%d/%d/%s/\n" % (difficulty, len(rows), len(rows[0]), cells)


def grown_layout(rng, width, height):
    """Islands joined by straight single or double bridges that never cross, grown from
    one island; returns the clue rows. Every island has at least one water cell between
    it and the next island it is joined to."""
    clue = [[0] * width for _ in range(height)]
    island = [[False] * width for _ in range(height)]
    used = [[False] * width for _ in range(height)]  # a bridge passes
    r, c = rng.randrange(height), rng.randrange(width)
    island[r][c] = True
    islands = [(r, c)]
    attempts = width * height * rng.choice([1, 2, 4])
    for _ in range(attempts):
        r, c = rng.choice(islands)
        dr, dc = rng.choice([(0, 1), (0, -1), (1, 0), (-1, 0)])
        length = rng.randint(2, max(2, min(8, max(width, height) // 2 + 1)))
        path = []
        rr, cc = r + dr, c + dc
        end = None
        while 0 <= rr < height and 0 <= cc < width:
            if island[rr][cc]:
                end = (rr, cc) if path and rng.random() < 0.3 else None
                break
            if used[rr][cc]:
                break
            path.append((rr, cc))
            if len(path) == length:
                end = (rr, cc)
                path.pop()
                break
            rr, cc = rr + dr, cc + dc
        if end is None or not path:
            continue
        n = rng.choice([1, 1, 2])
        er, ec = end
        if clue[r][c] + n > 8 or clue[er][ec] + n > 8:
            continue
        for pr, pc in path:
            used[pr][pc] = True
        if not island[er][ec]:
            island[er][ec] = True
            islands.append(end)
        clue[r][c] += n
        clue[er][ec] += n
    # A lone island with no bridge would need 0, which a problem cannot say.
    for r in range(height):
        for c in range(width):
            if island[r][c] and clue[r][c] == 0:
                clue[r][c] = rng.randint(1, 8)
    return clue


def disturbed(rng, rows):
    rows = [row[:] for row in rows]
    places = [(r, c) for r in range(len(rows)) for c in range(len(rows[0])) if rows[r][c]]
    for _ in range(rng.randint(1, 3)):
        if not places:
            break
        r, c = rng.choice(places)
        rows[r][c] = max(1, min(8, rows[r][c] + rng.choice([-2, -1, 1, 2])))
    return rows


def dense_random(rng, width, height):
    density = rng.choice([0.1, 0.25, 0.5])
    return [[rng.randint(1, 8) if rng.random() < density else 0 for _ in range(width)]
            for _ in range(height)]


def parse(line):
    parts = line.strip().split("/")
    height, width = int(parts[1]), int(parts[2])
    return [[0 if ch == "." else int(ch) for ch in parts[3 + r]] for r in range(height)]


def seeded(bin_dir, seed, side, count):
    exe = os.path.join(bin_dir, "spanwright-seeded")
    return subprocess.run([exe, str(seed), str(side), str(count)], check=True,
                          capture_output=True).stdout


def board_files(rng, bin_dir):
    files = {}
    small = [(w, h) for w in (1, 2, 3) for h in (1, 2, 3, 7)]
    grown, broken, dense = [], [], []
    for i in range(1200):
        w, h = small[i] if i < len(small) else (rng.randint(1, 40), rng.randint(1, 40))
        rows = grown_layout(rng, w, h)
        grown.append(problem_line(rng.randint(1, 5), rows))
        if i % 2 == 0:
            broken.append(problem_line(1, disturbed(rng, rows)))
    for i in range(600):
        dense.append(problem_line(1, dense_random(rng, rng.randint(1, 40), rng.randint(1, 40))))
    files["grown"] = grown
    files["disturbed"] = broken
    files["dense"] = dense

    # Seeded problems whole and cropped to non-square parts.
    whole, cropped = [], []
    for side in (5, 8, 10, 12, 15, 18, 20):
        lines = seeded(bin_dir, 77 + side, side, 30 if side <= 12 else 10).decode().splitlines()
        for line in lines:
            whole.append(line + "\n")
            rows = parse(line)
            r0, c0 = rng.randrange(side), rng.randrange(side)
            r1, c1 = rng.randint(r0 + 1, side), rng.randint(c0 + 1, side)
            cropped.append(problem_line(1, [row[c0:c1] for row in rows[r0:r1]]))
    files["seeded_whole"] = whole
    files["seeded_cropped"] = cropped

    # The largest boards: seeded 20 x 20 problems tiled six by six with a water column and
    # row between tiles, grown layouts and dense random boards.
    tiles = [parse(line) for line in seeded(bin_dir, 125, 20, 36).decode().splitlines()]
    large = []
    for variant in range(3):
        grid = [[0] * 125 for _ in range(125)]
        order = tiles[variant:] + tiles[:variant]
        for t, tile in enumerate(order):
            tr, tc = divmod(t, 6)
            for r in range(20):
                for c in range(20):
                    grid[tr * 21 + r][tc * 21 + c] = tile[r][c]
        large.append(problem_line(variant + 1, grid))
    for _ in range(3):
        large.append(problem_line(3, grown_layout(rng, 125, 125)))
    large.append(problem_line(1, grown_layout(rng, 125, 60)))
    large.append(problem_line(1, dense_random(rng, 125, 125)))
    large.append(problem_line(1, [[1 if (r + c) % 2 else 0 for c in range(125)] for r in range(1)]))
    files["large"] = large
    return files


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    bin_dir, out_dir = sys.argv[1], sys.argv[2]
    rng = random.Random(20240612)
    exe = os.path.join(bin_dir, "spanwright")

    def write(name, data):
        with gzip.GzipFile(os.path.join(out_dir, name), "wb", mtime=0) as f:
            f.write(data)

    os.makedirs(out_dir, exist_ok=True)
    for name, lines in board_files(rng, bin_dir).items():
        text = "".join(lines).encode()
        write(name + ".txt.gz", text)
        path = os.path.join(out_dir, name + ".txt")
        with open(path, "wb") as f:
            f.write(text)
        for mode in ("d", "s"):
            out = subprocess.run([exe, mode, path], check=True, capture_output=True).stdout
            write("%s.%s.out.gz" % (name, mode), out)
        os.remove(path)

    seeded_out = b""
    for seed, side, count in SEEDED_RUNS:
        seeded_out += b"# %d %d %d\n" % (seed, side, count) + seeded(bin_dir, seed, side, count)
    write("seeded.out.gz", seeded_out)


if __name__ == "__main__":
    main()
