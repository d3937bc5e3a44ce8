#!/usr/bin/python3
"""Times ostrel's web page in headless Chromium: the click to plan of the first-found plan of a
new mag to 50/50/50/50 (three runs), then every goal on the goal searches' benchmark targets, the
forms listing after each goal plan and the trade-off after each cheapest plan (minutes), printed
as a table: page ms, of which the core ms. With --isolated the page is served cross-origin
isolated, and plans on the planner with threads.

Usage: page_measure.py --site build-web/site [--isolated]
"""
import argparse
import pathlib
import statistics
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "web" / "test"))
# pylint: disable=wrong-import-position
from browser_test import (FORMS_LISTED, READY, fill_and_plan, page_numbers,  # noqa: E402
                          plan_with, serve, start_browser, text_of, wait_answer, wait_for)
from selenium.webdriver.common.by import By  # noqa: E402


def request(section, char_class, target, start=None, goal="first"):
    """A page request (the command line's shape) for a benchmark target."""
    return {"player": {"sectionId": section, "charClass": char_class}, "start": start,
            "target": dict(zip(("def", "pow", "dex", "mind"), target)), "goal": goal,
            "form": None}


# The benchmark targets of the goal searches.
BENCHMARK = [
    ("Purplenum Humar new -> 30/70/70/30", request("Purplenum", "Humar", (30, 70, 70, 30))),
    ("Viridia Hucast new -> 5/145/50/0", request("Viridia", "Hucast", (5, 145, 50, 0))),
    ("Greenill Racast new -> 15/0/35/150", request("Greenill", "Racast", (15, 0, 35, 150))),
    ("Pinkal Fomar new -> 60/60/40/40", request("Pinkal", "Fomar", (60, 60, 40, 40))),
    ("Redria Hunewearl new -> 5/100/95/0", request("Redria", "Hunewearl", (5, 100, 95, 0))),
    ("Bluefull Ramarl new -> 20/20/20/20", request("Bluefull", "Ramarl", (20, 20, 20, 20))),
    ("Oran Fonewm new -> 45/40/15/100", request("Oran", "Fonewm", (45, 40, 15, 100))),
    ("Skyly Racaseal Varuna -> 20/110/50/20", request(
        "Skyly", "Racaseal", (20, 110, 50, 20),
        {"form": "Varuna", "stats": {"def": 8, "pow": 12, "dex": 3, "mind": 2},
         "bars": {"def": 40, "pow": 70, "dex": 10, "mind": 0}})),
]
NEW_MAG = request("Purplenum", "Humar", (50, 50, 50, 50))
ANSWER_TIMEOUT = 600


def measure(driver):
    """Times in the page and every goal on the benchmark targets."""
    print("# click to plan in headless Chromium (page ms, of which the core ms):")
    for name, case in BENCHMARK:
        for goal in ("first", "cheapest", "fewest"):
            fill_and_plan(driver, page_numbers(driver, dict(case, goal=goal)), wait=False)
            wait_answer(driver, ANSWER_TIMEOUT)
            ms, worker_ms = driver.execute_script(
                "const d = document.getElementById('status').dataset; return [+d.ms, +d.workerMs]")
            summary = text_of(driver, "summary")
            print(f"#   {name:40} {goal:9} {ms:7} ms ({worker_ms} ms)  {summary}")
            if goal != "first":
                wait_for(driver, FORMS_LISTED, ANSWER_TIMEOUT)
                forms_ms = driver.execute_script(
                    "return +document.getElementById('status').dataset.formsMs")
                print(f"#   {'':40} {'forms':9} {forms_ms:7} ms")
            if goal == "cheapest":
                print(f"#   {'':40} {'tradeoffs':9} {time_tradeoff(driver):7} ms")


def time_tradeoff(driver):
    """The trade-off of the request planned last, in ms from the click."""
    driver.execute_script("document.getElementById('status').dataset.tradeoffMs = ''")
    driver.find_element(By.ID, "tradeoff-button").click()
    wait_for(driver, "(document.getElementById('status').dataset.tradeoffMs || '') !== ''",
             ANSWER_TIMEOUT)
    return driver.execute_script("return +document.getElementById('status').dataset.tradeoffMs")


def time_new_mag_plan(driver, runs=3):
    times = []
    for _ in range(runs):
        plan_with(driver, driver.find_element(By.ID, "plan-button"))
        times.append(driver.execute_script(
            "const d = document.getElementById('status').dataset; return [+d.ms, +d.workerMs]"))
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True, type=pathlib.Path)
    parser.add_argument("--isolated", action="store_true",
                        help="serve the page cross-origin isolated: the planner with threads")
    args = parser.parse_args()
    server = serve(args.site.resolve(), isolated=args.isolated)
    with tempfile.TemporaryDirectory() as scratch:
        driver = start_browser(pathlib.Path(scratch) / "profile")
        try:
            driver.get(f"http://127.0.0.1:{server.server_port}/index.html")
            wait_for(driver, READY)
            fill_and_plan(driver, page_numbers(driver, NEW_MAG))
            threads = driver.execute_script(
                "return document.getElementById('status').dataset.threads")
            print(f"# the planner's goal searches on {threads} thread(s)")
            times = time_new_mag_plan(driver)
            print("# click to plan, new mag to 50/50/50/50: median "
                  f"{statistics.median(t[0] for t in times)} ms, of which the core "
                  f"{statistics.median(t[1] for t in times)} ms (runs: {times})")
            measure(driver)
        finally:
            driver.quit()
            server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
