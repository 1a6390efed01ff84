#!/usr/bin/env python3
"""The include check against small planted trees: each rule fires on its own violation with the
file, the line and the rule, and lets the allowed includes pass."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "check_includes.py")
sys.path.insert(0, os.path.dirname(SCRIPT))
import check_includes  # noqa: E402

# A tree that keeps every rule: downward includes, public faces named by the README.
CLEAN = {
    "win/window.h": '#include "platform/backend.h"\n',
    "gfx/surface.cpp": '#include "core/stream_io.h"\n#include "win/gdi.h"\n',
    "flight/aircraft.cpp": '#include "flight/aircraft.h"\n#include "ts/shape.h"\n',
    "world/README.md": "# world/\n\nPublic face: `world/terrain_services.h`,\n"
                       "`world/weather_state.h`. Nothing else.\n\n- `world/sky.h`: the sky.\n",
    "world/sky.cpp": '#include "world/sky.h"\n#include "flight/aircraft.h"\n',
    "cockpit/gauges.cpp": '#include <vector>\n#include "world/terrain_services.h"\n'
                          '#include "world/weather_state.h"\n#include "gauges.h"\n',
    "sim/world.cpp": '#include "world/sky.h"\n#include "resources/main_menu_ids.h"\n',
    "app/main.cpp": '#include "sim/world.h"\n',
}

# Each planted include, the file and line it lies on, and the rule it breaks.
PLANTED = [
    ("ts/shape.cpp", '#include "flight/aircraft.h"\n', 1, "lower-layer"),
    ("platform/file_system.cpp", '// files\n#include "win/file_api.h"\n', 2, "lower-layer"),
    ("gfx/font.h", '  #  include "sim/startup.h"\n', 1, "lower-layer"),
    ("flight/crash.cpp", '#include "flight/aircraft.h"\n#include "devices/sound_services.h"\n',
     2, "flight-below"),
    ("flight/flight_update.cpp", '#include "sim/sim_world.h"\n', 1, "below-sim"),
    ("planning/loading.cpp", '#include "app/zephlon/main.h"\n', 1, "below-sim"),
    ("cockpit/radio.cpp", '#include "world/terrain_services.h"\n#include "world/sky.h"\n', 2,
     "public-face"),
    ("nav/map.cpp", '#include "ui/dialog.h"\n', 1, "public-face"),
    ("world/sky/stars.cpp", '#include "../../sim/sim_world.h"\n', 1, "below-sim"),
    ("win/gdi.cpp", '#include <vector>\n#include <gfx/font.h>\n', 2, "lower-layer"),
]


def plant(root, files):
    for name, text in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)


class CheckIncludesTest(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.TemporaryDirectory()
        self.root = self.tree.name
        plant(self.root, CLEAN)

    def tearDown(self):
        self.tree.cleanup()

    def test_clean_tree_passes(self):
        self.assertEqual(check_includes.check(self.root, {}), [])

    def test_each_planted_include_is_named_by_file_line_and_rule(self):
        for name, text, line, rule in PLANTED:
            with self.subTest(file=name):
                plant(self.root, {name: text})
                found = check_includes.check(self.root, {})
                self.assertEqual(len(found), 1, found)
                self.assertTrue(found[0].startswith(f"{name}:{line}: {rule}: "), found[0])
                os.remove(os.path.join(self.root, name))

    def test_an_exception_lets_its_include_pass_and_a_stale_one_fails(self):
        plant(self.root, {"flight/crash.cpp": '#include "devices/sound_services.h"\n'})
        allowed = {("flight/crash.cpp", "devices/sound_services.h")}
        self.assertEqual(check_includes.check(self.root, allowed), [])
        os.remove(os.path.join(self.root, "flight/crash.cpp"))
        found = check_includes.check(self.root, allowed)
        self.assertEqual(len(found), 1)
        self.assertIn("stale-exception", found[0])

    def test_a_subsystem_without_a_public_face_lets_nothing_in(self):
        plant(self.root, {"ui/dialog.cpp": '#include "planning/planning_services.h"\n'})
        self.assertEqual(len(check_includes.check(self.root, {})), 1)

    def test_the_command_fails_with_the_violations_on_its_output(self):
        plant(self.root, {"core/ini_file.cpp": '#include "gfx/palette.h"\n'})
        run = subprocess.run([sys.executable, SCRIPT, self.root], capture_output=True, text=True,
                             check=False)
        self.assertEqual(run.returncode, 1)
        self.assertIn("core/ini_file.cpp:1: lower-layer:", run.stdout)
        os.remove(os.path.join(self.root, "core/ini_file.cpp"))
        run = subprocess.run([sys.executable, SCRIPT, self.root], capture_output=True, text=True,
                             check=False)
        self.assertEqual((run.returncode, run.stdout), (0, ""))


if __name__ == "__main__":
    unittest.main()
