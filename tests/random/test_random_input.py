#!/usr/bin/python3
"""Checks of the random-input driver that need no X server: the same seed gives the same
actions, nothing it sends can reach the file menu's exit or leave the test's folder, and the
note it starts from is what the run relies on."""

import os
import random
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import random_input as ri  # noqa: E402


class Actions(unittest.TestCase):
    def actions(self, seed, count=300):
        rng = random.Random(seed)
        return [ri.draw_action(rng) for _ in range(count)]

    def test_a_seed_gives_the_same_actions_and_another_seed_others(self):
        self.assertEqual(self.actions(7), self.actions(7))
        self.assertNotEqual(self.actions(7), self.actions(8))
        # A prefix of a run is the run cut short: --actions replays the start of --seconds.
        self.assertEqual(self.actions(7, 40), self.actions(7)[:40])

    def test_every_kind_is_drawn(self):
        kinds = {kind for kind, _ in self.actions(3, 2000)}
        self.assertEqual(kinds, {name for name, _ in ri.ACTION_KINDS})

    def test_nothing_sent_holds_the_exit_mnemonic(self):
        for keys in (ri.KEYS, ri.DIALOG_KEYS, ri.POPUP_KEYS):
            for key in keys:
                self.assertNotEqual(key.split("+")[-1].lower(), "e", key)
                self.assertFalse(key.startswith("alt+"), key)
        self.assertTrue(ri.no_e(ri.TYPED_CHARACTERS))
        for _, entries in ri.MENUS:
            self.assertNotIn("e", entries)

    def test_choose_stays_inside_the_list(self):
        items = ["a", "b", "c"]
        self.assertEqual([ri.choose(items, v) for v in (0.0, 0.34, 0.67, 0.999999, 1.0)],
                         ["a", "b", "c", "c", "c"])

    def test_modifiers(self):
        self.assertEqual(ri.modifiers_of([0.1, 0.1, 0.01]), ["ctrl", "shift", "alt"])
        self.assertEqual(ri.modifiers_of([0.1, 0.1, 0.01], alt=False), ["ctrl", "shift"])
        self.assertEqual(ri.modifiers_of([0.5, 0.5, 0.5]), [])


class Folder(unittest.TestCase):
    def setUp(self):
        self.base = ri.make_folder()
        self.sandbox = os.path.join(self.base, "s")
        os.makedirs(self.sandbox)

    def tearDown(self):
        shutil.rmtree(self.base, ignore_errors=True)

    def test_typed_paths_stay_in_the_folder_and_hold_no_e(self):
        self.assertTrue(ri.no_e(self.base))
        for path in ri.typed_paths(self.sandbox):
            self.assertTrue(os.path.isabs(path), path)
            self.assertEqual(os.path.commonpath([os.path.normpath(path), self.sandbox]), self.sandbox)
            self.assertNotEqual(os.path.normpath(path), self.sandbox)
            self.assertTrue(ri.no_e(path), path)

    def test_the_note_has_four_pages_with_broken_and_missing_pictures(self):
        if shutil.which("convert") is None:
            self.skipTest("ImageMagick is missing")
        note = ri.make_note(self.sandbox)
        with open(note, "rb") as data:
            text = data.read()
        self.assertNotIn(b"\n", text.replace(b"\r\n", b""))
        self.assertEqual(text.count(b"\r\n-\r\n"), 3)
        photos = os.path.join(self.sandbox, "photos")
        self.assertFalse(os.path.exists(os.path.join(photos, "missing.jpg")))
        self.assertEqual(os.path.getsize(os.path.join(photos, "void.png")), 0)
        self.assertLess(os.path.getsize(os.path.join(photos, "bad.jpg")),
                        os.path.getsize(os.path.join(photos, "a1.jpg")))
        for name in ("a1.jpg", "a2.png", "a3.gif", "a4.bmp", "a5.tif", "bad.jpg", "void.png",
                     "words.png", "missing.jpg"):
            self.assertIn(("FileName=%s," % os.path.join(photos, name)).encode(), text)
        self.assertEqual(text.count(b"[Text]"), 2)
        self.assertEqual(text.count(b"[Mandelbrot]"), 3)


class FakeScreen:
    width, height = 1280, 1024

    def __init__(self, area):
        self._area = area

    def area(self, window):
        return self._area


class Points(unittest.TestCase):
    def session(self, area):
        session = ri.Session.__new__(ri.Session)
        session.screen = FakeScreen(area)
        return session

    def test_the_main_window_menu_bar_is_never_clicked(self):
        session = self.session((100, 50, 800, 600))
        for fy in (0.0, 0.001, 0.5, 1.0):
            x, y = session.point(None, "main", 0.5, fy)
            self.assertGreaterEqual(y, 50 + 30)
            self.assertLess(y, 50 + 600)
        # A dialog is clicked anywhere.
        self.assertEqual(session.point(None, "open", 0.0, 0.0), (100, 50))
        self.assertEqual(session.point(None, "open", 1.0, 1.0), (899, 649))

    def test_points_off_the_screen_are_not_clicked(self):
        session = self.session((1200, 900, 400, 300))
        self.assertIsNone(session.point(None, "open", 0.9, 0.1))
        self.assertIsNone(session.point(None, "open", 0.1, 0.9))
        self.assertEqual(session.point(None, "open", 0.0, 0.0), (1200, 900))
        self.assertIsNone(self.session(None).point(None, "main", 0.5, 0.5))


if __name__ == "__main__":
    unittest.main()
