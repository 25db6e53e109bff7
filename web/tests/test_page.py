#!/usr/bin/python3
"""The page in headless Chromium: open from the address, construct, play with a hint, the
wrong bridge, a bad link, and the timings of a check and a hint on a 20 x 20 puzzle.

Run after `./dev web`: /usr/bin/python3 web/tests/test_page.py (SPANWRIGHT_WEB names
another built folder)."""
import os
import pathlib
import statistics
import tempfile
import unittest
from xml.etree import ElementTree

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ROOT = pathlib.Path(__file__).resolve().parents[2]
PAGE = pathlib.Path(os.environ.get("SPANWRIGHT_WEB", ROOT / "build" / "web")) / "index.html"
EASY = "1/7/7/....4.4/......./......./..1.5.2/......./......./.2..6.2/"
EASY_ID = "7x7m2:d4a4p1a5a2o2b6a2"


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        options = webdriver.ChromeOptions()
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--window-size=1200,900"):
            options.add_argument(flag)
        cls.profile = tempfile.TemporaryDirectory()
        options.add_argument("--user-data-dir=" + cls.profile.name)
        cls.d = webdriver.Chrome(options=options)

    @classmethod
    def tearDownClass(cls):
        cls.d.quit()
        cls.profile.cleanup()

    def open(self, fragment=""):
        # A blank page between loads, so that a new fragment loads the page afresh.
        self.d.get("about:blank")
        self.d.get(PAGE.as_uri() + fragment)
        self.wait(lambda d: d.execute_script("return !!window.spanwrightPage"))

    def wait(self, cond, timeout=20):
        return WebDriverWait(self.d, timeout).until(cond)

    def text(self, id_):
        return self.d.find_element(By.ID, id_).text

    def wait_text(self, id_, expected):
        try:
            self.wait(lambda d: expected in self.text(id_), 20)
        except Exception:
            self.d.save_screenshot("/tmp/fail.png"); raise

    def state(self, expr):
        return self.d.execute_script("var S = window.spanwrightPage; return " + expr)

    def at(self, r, c, actions=None):
        """Actions moved to the centre of cell (r, c) (the board's div outlives each drawing)."""
        board = self.d.find_element(By.ID, "board")
        x, y = self.d.execute_script(
            "var svg = document.querySelector('#board svg'), p = svg.createSVGPoint(),"
            " b = document.getElementById('board').getBoundingClientRect();"
            " p.x = arguments[1] * 40 + 20; p.y = arguments[0] * 40 + 20; p = p.matrixTransform(svg.getScreenCTM());"
            " return [p.x - b.left - b.width / 2, p.y - b.top - b.height / 2];", r, c)
        return (actions or ActionChains(self.d)).move_to_element_with_offset(board, int(x), int(y))

    def cell(self, r, c):
        self.at(r, c).click().perform()

    def drag(self, a, b):
        self.at(*b, self.at(*a).click_and_hold()).release().perform()

    def test_address_keeps_puzzle_and_moves(self):
        for puzzle in (EASY, EASY_ID):
            self.open(f"#play={puzzle}&m=0.4.0.6.2_3.2.3.4.x")
            self.wait(lambda d: len(d.find_elements(By.CSS_SELECTOR, "g.island")) == 8)
            self.assertEqual(self.state("S.mode"), "play")
            self.assertEqual(len(self.d.find_elements(By.CSS_SELECTOR, "line.bridge")), 2)
            self.assertEqual(len(self.d.find_elements(By.CSS_SELECTOR, "path.mark")), 1)
        # A move made is written back to the address, and a reload keeps it.
        self.drag((6, 1), (6, 4))
        self.assertIn("6.1.6.4.1", self.d.current_url)
        self.d.refresh()
        self.wait(lambda d: len(d.find_elements(By.CSS_SELECTOR, "line.bridge")) == 3)

    def test_construct_several_then_one(self):
        self.open()
        self.d.find_element(By.ID, "new-w").clear()
        self.d.find_element(By.ID, "new-w").send_keys("5")
        self.d.find_element(By.ID, "new-h").clear()
        self.d.find_element(By.ID, "new-h").send_keys("5")
        self.d.find_element(By.ID, "new-grid").click()
        # Four 3s in the corners: a ring whose doubled pair of opposite sides can be either.
        for r, c in ((0, 0), (0, 4), (4, 0), (4, 4)):
            for _ in range(3):
                self.cell(r, c)
        self.wait_text("verdict", "Several solutions")
        self.assertEqual(len(self.d.find_elements(By.CSS_SELECTOR, "line.differ")), 4)
        self.cell(0, 2)
        self.cell(0, 2)  # a 2 between the top pair settles it
        self.wait_text("verdict", "One solution")
        self.assertIn("Level", self.text("level"))
        # Right-click lowers, undo and redo step through the edits.
        self.at(0, 2).context_click().perform()
        self.wait_text("verdict", "No solution")  # thirteen bridge ends
        self.d.find_element(By.ID, "undo").click()
        self.wait_text("verdict", "One solution")
        self.d.find_element(By.ID, "redo").click()
        self.wait_text("verdict", "No solution")

    def test_play_to_the_end_with_a_hint(self):
        self.open(f"#play={EASY}")
        self.wait(lambda d: self.state("S.check && S.check.verdict") == "unique")
        self.d.find_element(By.ID, "hint").click()
        self.wait(lambda d: self.text("hint-text"))
        self.assertTrue(self.d.find_elements(By.CSS_SELECTOR, "g.island.hint"))
        self.assertTrue(self.d.find_elements(By.CSS_SELECTOR, "line.hint-line"))
        for r1, c1, r2, c2, n in self.state("S.check.solutions[0]"):
            for _ in range(n):
                self.drag((r1, c1), (r2, c2))
        self.assertEqual(len(self.d.find_elements(By.CSS_SELECTOR, "g.island.done")), 8)
        self.assertTrue(self.d.find_element(By.ID, "solved").is_displayed())
        # The saved picture stands alone: well-formed, with the solution's strokes when asked.
        self.d.find_element(By.CSS_SELECTOR, "#share-box summary").click()
        self.d.find_element(By.ID, "share-solution").click()
        svg = ElementTree.fromstring(self.state("S.picture()"))
        strokes = svg.findall(".//{http://www.w3.org/2000/svg}line")
        self.assertEqual(len(strokes), sum(b[4] for b in self.state("S.check.solutions[0]")))

    def test_keyboard_lays_a_bridge(self):
        self.open(f"#play={EASY}")
        self.d.execute_script("document.getElementById('board').focus()")
        keys = ActionChains(self.d)
        for key in "\ue015" * 6 + "\ue014":  # down six rows, right one column: the 2 at (6,1)
            keys.send_keys(key)
        keys.send_keys("\ue007").send_keys("\ue014").perform()  # Enter, then right
        self.assertEqual(self.state("S.bridges"), {"6,1,6,4": 1})

    def test_wrong_bridge_named_first(self):
        self.open(f"#play={EASY}&m=3.4.3.6.1")
        self.wait(lambda d: self.state("S.check && S.check.verdict") == "unique")
        self.d.find_element(By.ID, "hint").click()
        self.wait_text("hint-text", "Wrong")
        self.assertIn("(4,5) and (4,7)", self.text("hint-text"))
        self.assertTrue(self.d.find_elements(By.CSS_SELECTOR, "line.bridge.wrong"))

    def test_bad_links_answered(self):
        for fragment, expected in (("#play=https://puzz.link/p?hashikake/zz", "Cannot open"),
                                   ("#play=0/40/40/" + "." * 1600, "30 x 30"),
                                   ("#play=" + EASY + "&m=0.0.9.9.1", "left out"),
                                   ("#nothing", "holds no puzzle")):
            self.open(fragment)
            self.wait(lambda d: self.d.find_element(By.ID, "message").is_displayed())
            self.assertIn(expected, self.text("message"))

    def test_timings_on_20x20(self):
        self.open()
        line = self.d.execute_async_script(
            "var done = arguments[0]; window.spanwright.ready.then(function () {"
            " return spanwright.make({width: 20, height: 20, level: 'hard', symmetry: 'none', seed: 7}); })"
            ".then(function (r) { done(r.line); }, function (e) { done('error ' + e.message); });")
        self.assertFalse(line.startswith("error"), line)
        self.open("#construct=" + line)
        self.wait(lambda d: self.state("S.check && S.check.verdict") == "unique")
        edit, back = [], []
        for c in range(5):
            empty = [r for r in range(20) if not self.state(f"S.grid[{r} * 20 + {c}]")][0]
            for times, into in ((1, edit), (0, back)):
                if times:
                    self.cell(empty, c)
                else:
                    self.d.find_element(By.ID, "undo").click()
                self.wait(lambda d: self.state("S.check") is not None)
                into.append(self.state("S.checkMs"))
            self.assertEqual(self.state("S.check.verdict"), "unique")
        self.d.find_element(By.ID, "mode-play").click()
        hints = []
        for _ in range(5):
            self.d.find_element(By.ID, "hint").click()
            self.wait(lambda d: self.text("hint-text"))
            hints.append(self.state("S.hintMs"))
            self.d.find_element(By.ID, "apply-hint").click()
        figures = {"check after an edit": edit, "check after undo (unique)": back, "hint": hints}
        for what, ms in figures.items():
            print(f"20x20 {what}: median {statistics.median(ms):.1f} ms, max {max(ms):.1f} ms")
        # The aim is 50 ms; the bound leaves room for a loaded test machine.
        for ms in figures.values():
            self.assertLess(statistics.median(ms), 250)


if __name__ == "__main__":
    unittest.main(verbosity=2)
