#!/usr/bin/env python3
"""Problem lines of two families of boards without a solution that a search over the
island counts alone settles only after trying very many assignments: every assignment
that gives each island its number fails on connectivity alone.

  tools/hard_families.py joined SIDE    two lattices of 2s, SIDE x SIDE islands each,
                                        whose only line between them is one link:
                                        both totals are even, so the link must carry
                                        two bridges and shuts its two 2s off
  tools/hard_families.py apart SIDE     two lattices that no line joins, each with an
                                        odd clue total (a corner is a 1) and a hole
                                        whose skipping lines make odd cycles

The boards are (4 SIDE - 3) x (4 SIDE - 1) and 2 SIDE x (4 SIDE - 1) cells; SIDE 31 is
the largest that fits 125 x 125. Both pass the counting arguments (even total, a
fractional assignment exists), so only connectivity reasoning rules them out.
"""
import sys


def lattice(cells, top, left, side, hole=False, raised=False):
    for i in range(side):
        for j in range(side):
            if hole and (i, j) == (side // 2, side // 2):
                continue
            cells[top + 2 * i][left + 2 * j] = "2"
    if raised:
        cells[top][left] = "1"


def board(family, side):
    width = 4 * side - 1
    if family == "joined":
        height = 4 * side - 3
        cells = [["."] * width for _ in range(height)]
        lattice(cells, 0, 0, side)
        # The bottom row of the first lattice faces the top row of the second across
        # one water cell at one place only: the last column of the first.
        lattice(cells, 2 * side - 2, 2 * side, side)
        if side % 2 == 1:
            # An odd lattice has one island more of the corners' colour; a 4 beside a
            # corner evens the colours out, so each lattice can be solved on its own.
            cells[0][2] = "4"
            cells[2 * side - 2][2 * side + 2] = "4"
    elif family == "apart":
        height = 2 * side
        cells = [["."] * width for _ in range(height)]
        # Rows of even and of odd index: no island of one faces one of the other.
        lattice(cells, 0, 0, side, hole=True, raised=True)
        lattice(cells, 1, 2 * side, side, hole=True, raised=True)
    else:
        raise SystemExit(f"unknown family: {family}")
    return f"0/{height}/{width}/" + "".join("".join(row) + "/" for row in cells)


def main():
    if len(sys.argv) != 3 or not sys.argv[2].isdigit() or not 3 <= int(sys.argv[2]) <= 31:
        raise SystemExit("usage: hard_families.py joined|apart SIDE (3 to 31)")
    print(board(sys.argv[1], int(sys.argv[2])))


if __name__ == "__main__":
    main()
