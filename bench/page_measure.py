#!/usr/bin/python3
"""Times ostrel's web page in headless Chromium: the click to plan of the 1503-feeding plan of a
new mag (three runs), then every goal on the goal searches' benchmark targets and the forms
listing after each goal plan (minutes), printed as a table: page ms, of which the core ms.

Usage: page_measure.py --site build-web
"""
import argparse
import pathlib
import statistics
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "web" / "test"))
# pylint: disable=wrong-import-position
from browser_test import (NEW_MAG, fill_and_plan, serve, start_browser, text_of,  # noqa: E402
                          wait_answer, wait_forms, wait_ready)

# The benchmark targets of the goal searches.
BENCHMARK = [
    ("Purplenum Humar new -> 30/70/70/30", 0, 0, None, (30, 70, 70, 30)),
    ("Viridia Hucast new -> 5/145/50/0", 3, 1, None, (5, 145, 50, 0)),
    ("Greenill Racast new -> 15/0/35/150", 6, 5, None, (15, 0, 35, 150)),
    ("Pinkal Fomar new -> 60/60/40/40", 8, 8, None, (60, 60, 40, 40)),
    ("Redria Hunewearl new -> 5/100/95/0", 1, 2, None, (5, 100, 95, 0)),
    ("Bluefull Ramarl new -> 20/20/20/20", 5, 6, None, (20, 20, 20, 20)),
    ("Oran Fonewm new -> 45/40/15/100", 7, 9, None, (45, 40, 15, 100)),
    ("Skyly Racaseal Varuna -> 20/110/50/20", 2, 7,
     dict(type=2, stats=(8, 12, 3, 2), bars=(40, 70, 10, 0)), (20, 110, 50, 20)),
]



def measure(driver):
    """Times in the page the 1503-feeding plan and every goal on the benchmark targets."""
    print("# click to plan in headless Chromium (page ms, of which the core ms):")
    for name, section, char_class, start, target in BENCHMARK:
        for goal in ("first", "cheapest", "fewest"):
            case = dict(name=name, section=section, char_class=char_class, start=start,
                        target=target, goal=goal, form=None)
            fill_and_plan(driver, case)
            wait_answer(driver, timeout=600)
            ms, worker_ms = driver.execute_script(
                "const d = document.getElementById('status').dataset; return [+d.ms, +d.workerMs]")
            summary = text_of(driver, "summary")
            print(f"#   {name:40} {goal:9} {ms:7} ms ({worker_ms} ms)  {summary}")
            if goal != "first":
                wait_forms(driver, timeout=600)
                forms_ms = driver.execute_script(
                    "return +document.getElementById('status').dataset.formsMs")
                print(f"#   {'':40} {'forms':9} {forms_ms:7} ms")


def time_new_mag_plan(driver, runs=3):
    times = []
    for _ in range(runs):
        driver.execute_script("document.getElementById('status').dataset.ms = '';")
        driver.find_element(By.ID, "plan-button").click()
        wait_answer(driver)
        times.append(driver.execute_script(
            "const d = document.getElementById('status').dataset; return [+d.ms, +d.workerMs]"))
    return times



def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True, type=pathlib.Path)
    args = parser.parse_args()
    server = serve(args.site.resolve())
    with tempfile.TemporaryDirectory() as scratch:
        driver = start_browser(pathlib.Path(scratch) / "profile")
        try:
            driver.get(f"http://127.0.0.1:{server.server_port}/index.html")
            wait_ready(driver)
            fill_and_plan(driver, NEW_MAG)
            times = time_new_mag_plan(driver)
            print("# click to plan, 1503 feedings: median "
                  f"{statistics.median(t[0] for t in times)} ms, of which the core "
                  f"{statistics.median(t[1] for t in times)} ms (runs: {times})")
            measure(driver)
        finally:
            driver.quit()
            server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
