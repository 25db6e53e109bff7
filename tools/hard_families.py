#!/usr/bin/env python3
"""Problem lines of families of boards that a search over the island counts alone settles
only after trying very many assignments. Islands stand on every other cell, so that every
line of a lattice joins a "black" and a "white" island (by the parity of its lattice row
plus column).

  tools/hard_families.py joined SIDE    two lattices of 2s, SIDE x SIDE islands each,
                                        whose only line between them is one link:
                                        both totals are even, so the link must carry
                                        two bridges and shuts its two 2s off
  tools/hard_families.py apart SIDE     two lattices that no line joins, each with an
                                        odd clue total (a corner is a 1) and a hole
                                        whose skipping lines make odd cycles
  tools/hard_families.py square SIDE    a balanced lattice of 2s (black and white want
                                        as many bridge ends) joined to a small square of
                                        2s by two links that start on the same colour: a
                                        bridge on either unbalances the lattice, so the
                                        square is cut off; no solution
  tools/hard_families.py mixed SIDE     the same with the lattice's numbers taken from a
                                        random assignment of 1 or 2 bridges
  tools/hard_families.py lone SIDE      a balanced lattice of 2s with two lone 2s beside
                                        it, linked to each other and each to the same
                                        colour; no solution
  tools/hard_families.py hole SIDE      an odd lattice (SIDE, or SIDE - 1 when even) with
                                        its centre removed, two islands of one colour
                                        raised to 4: the surplus needs two bridges on
                                        the two crossing lines through the hole; none
  tools/hard_families.py tree SIDE      numbers from the degrees of a random spanning
                                        tree of a lattice; many solutions (SIDE to 40)

SIDE runs from 3 (5 for hole) to 31; the random families take SIDE as their seed.
"""
import random
import sys


def lattice(cells, top, left, side, hole=False, raised=False):
    for i in range(side):
        for j in range(side):
            if hole and (i, j) == (side // 2, side // 2):
                continue
            cells[top + 2 * i][left + 2 * j] = "2"
    if raised:
        cells[top][left] = "1"


def grid(height, width):
    return [["."] * width for _ in range(height)]


def balance(cells, side):
    # An odd lattice of 2s has one island more of the corners' colour; a 4 beside a
    # corner evens the colours out.
    if side % 2 == 1:
        cells[0][2] = "4"


def random_tree(side, rng):
    """The links of a random spanning tree of a SIDE x SIDE lattice, by Kruskal over
    shuffled links."""
    links = [((i, j), (i, j + 1)) for i in range(side) for j in range(side - 1)]
    links += [((i, j), (i + 1, j)) for i in range(side - 1) for j in range(side)]
    rng.shuffle(links)
    root = {(i, j): (i, j) for i in range(side) for j in range(side)}

    def find(v):
        while root[v] != v:
            root[v] = root[root[v]]
            v = root[v]
        return v

    tree = []
    for a, b in links:
        ra, rb = find(a), find(b)
        if ra != rb:
            root[ra] = rb
            tree.append((a, b))
    return tree, links


def degrees(side, bridges):
    need = {(i, j): 0 for i in range(side) for j in range(side)}
    for (a, b), count in bridges.items():
        need[a] += count
        need[b] += count
    return need


def attach(cells, side, square):
    # Two lattice islands of the same colour on the right edge, lattice rows 0 and 2,
    # face a 2 each across one cell; those two 2s are linked to each other.
    for row in (0, 4):
        cells[row][2 * side] = "2"
        if square:
            cells[row][2 * side + 2] = "2"


def board(family, side):
    width = 4 * side - 1
    if family == "joined":
        height = 4 * side - 3
        cells = grid(height, width)
        lattice(cells, 0, 0, side)
        # The bottom row of the first lattice faces the top row of the second across
        # one water cell at one place only: the last column of the first.
        lattice(cells, 2 * side - 2, 2 * side, side)
        if side % 2 == 1:
            cells[0][2] = "4"
            cells[2 * side - 2][2 * side + 2] = "4"
    elif family == "apart":
        height = 2 * side
        cells = grid(height, width)
        # Rows of even and of odd index: no island of one faces one of the other.
        lattice(cells, 0, 0, side, hole=True, raised=True)
        lattice(cells, 1, 2 * side, side, hole=True, raised=True)
    elif family in ("square", "lone", "mixed"):
        height, width = 2 * side - 1, 2 * side + 3
        cells = grid(height, width)
        if family == "mixed":
            rng = random.Random(side)
            tree, links = random_tree(side, rng)
            bridges = {link: 1 for link in tree}
            for link in links:
                if rng.random() < 0.25:
                    bridges[link] = rng.choice((1, 2)) if link not in bridges else 2
            for (i, j), need in degrees(side, bridges).items():
                cells[2 * i][2 * j] = str(need)
        else:
            lattice(cells, 0, 0, side)
            balance(cells, side)
        attach(cells, side, family != "lone")
    elif family == "hole":
        if side % 2 == 0:
            side -= 1
        height = width = 2 * side - 1
        cells = grid(height, width)
        lattice(cells, 0, 0, side, hole=True)
        cells[0][2] = cells[2][0] = "4"
    elif family == "tree":
        height = width = 2 * side - 1
        cells = grid(height, width)
        tree, _ = random_tree(side, random.Random(side))
        for (i, j), need in degrees(side, {link: 1 for link in tree}).items():
            cells[2 * i][2 * j] = str(need)
    else:
        raise SystemExit(f"unknown family: {family}")
    return f"0/{height}/{width}/" + "".join("".join(row) + "/" for row in cells)


FAMILIES = ("joined", "apart", "square", "mixed", "lone", "hole", "tree")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in FAMILIES or not sys.argv[2].isdigit():
        raise SystemExit("usage: hard_families.py " + "|".join(FAMILIES) + " SIDE")
    side = int(sys.argv[2])
    low = 5 if sys.argv[1] == "hole" else 3
    high = 40 if sys.argv[1] == "tree" else 31
    if not low <= side <= high:
        raise SystemExit(f"SIDE runs from {low} to {high} for {sys.argv[1]}")
    print(board(sys.argv[1], side))


if __name__ == "__main__":
    main()
