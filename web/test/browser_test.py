#!/usr/bin/python3
"""Drives ostrel's web page in headless Chromium and checks it against the console program.

Plans mags in the page served on 127.0.0.1 (new, grown, hopeless, refused, each goal, a form
chosen in the forms listing): console lines and saved files byte for byte as the `ostrel` dialogue's
on the same answers and goal, rows replayed with `ostrel feed`, the listing as `ostrel forms`'.
Also the progress line, ticks surviving a reload, no request leaving the page, no console error.
Screenshots go to SITE/screenshots/. Ends with "N passed, N failed". Timings: bench/page_measure.py.
Usage: browser_test.py --site build-web --ostrel build/ostrel
"""
import argparse
import functools
import http.server
import json
import pathlib
import re
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

STATS = ("def", "pow", "dex", "mind")
FILES = ("feedingPlan.txt", "feedingPlan2.txt")


def case(name, section, char_class, start, target, goal="first", form=None, **answer):
    """The answers (section ID and class as menu numbers, the start as form index, stats and bars
    or None for a new mag, the target, the goal and the final form's index or None for any) and,
    for a refused mag, what the page answers."""
    return dict(name=name, section=section, char_class=char_class, start=start, target=target,
                goal=goal, form=form, **answer)


def mag(form, stats, bars):
    return dict(type=form, stats=stats, bars=bars)


VARUNA = mag(2, (8, 12, 3, 2), (40, 70, 10, 0))
NEW_MAG = case("new mag, Purplenum Humar to 50/50/50/50", 0, 0, None, (50, 50, 50, 50))
CASES = [
    NEW_MAG,
    case("grown Varuna with bars, Skyly Racaseal", 2, 7, VARUNA, (20, 110, 50, 20)),
    case("small plan, Whitill Fonewearl", 9, 11, None, (6, 1, 0, 2)),
    case("hopeless target 5/0/0/195", 0, 0, None, (5, 0, 0, 195)),
    # Refused with the command line's words (the dialogue's message and why); the field is marked.
    case("refused target: lowers a stat", 3, 4, mag(2, (8, 12, 3, 2), (0, 0, 0, 0)),
         (20, 10, 50, 20), marked="target-pow",
         shown="That mag is not possible (pow 10 is below the mag's 12)"),
    case("refused mag: fully raised, def 4", 1, 1, mag(28, (4, 100, 100, 0), (0, 0, 0, 0)),
         (100, 100, 100, 0), shown="Your mag is fully raised! (level 204)", marked="start-def"),
]
GOAL_CASES = [
    case("cheapest, Bluefull Ramarl new to 20/20/20/20", 5, 6, None, (20, 20, 20, 20), "cheapest"),
    case("fewest, Skyly Racaseal grown Varuna to 12/25/10/3", 2, 7, VARUNA, (12, 25, 10, 3),
         "fewest"),
]
# An ila at level 80 whose cheapest plan ends as kumara; ila is reached on a costlier route.
ILA = 9
TWO_FORMS = case("cheapest, Pinkal Fomar ila to 35/20/20/25", 8, 8,
                 mag(ILA, (29, 14, 14, 23), (4, 0, 96, 0)), (35, 20, 20, 25), "cheapest")
# A goal that takes seconds: long enough for the progress line, stopped once it shows.
SLOW = case("cheapest, Pinkal Fomar new to 35/20/20/25", 8, 8, None, (35, 20, 20, 25), "cheapest")


class Results:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, name, ok, detail=""):
        self.passed += bool(ok)
        self.failed += not ok
        print(f"ok - {name}" if ok else f"FAIL - {name}: {detail}")


def dialogue_answers(case):
    lines = ["", str(case["section"]), str(case["char_class"])]
    start = case["start"]
    if start is None:
        lines.append("1")
    else:
        lines += ["2", str(start["type"] + 1)]
        for stat, bar in zip(start["stats"], start["bars"]):
            lines += [str(stat), str(bar)]
    return "\n".join(lines + [str(v) for v in case["target"]] + ["n"]) + "\n"


def run_native(ostrel, case):
    """The console program's dialogue with the case's goal: its whole output and both files."""
    goal = [] if case["goal"] == "first" else ["--goal", case["goal"]]
    if case["form"] is not None:
        goal += ["--form", str(case["form"] + 1)]
    with tempfile.TemporaryDirectory() as work:
        done = subprocess.run([ostrel] + goal, input=dialogue_answers(case).encode(), cwd=work,
                              capture_output=True, timeout=120, check=False)
        files = {name: (pathlib.Path(work) / name).read_bytes() for name in FILES}
    return done.stdout.decode(), files


def run_json(ostrel, command, case, *more):
    """`ostrel COMMAND --format json` for the case's player and mag, as a document."""
    args = [ostrel, command, "--format", "json", "--section", str(case["section"]),
            "--class", str(case["char_class"]), *more]
    if case["start"] is not None:
        start = case["start"]
        args += ["--mag", str(start["type"] + 1), "--stats", "/".join(map(str, start["stats"])),
                 "--bars", "/".join(map(str, start["bars"]))]
    return json.loads(subprocess.run(args, capture_output=True, timeout=300, check=True).stdout)


def plan_lines(stdout):
    """The console lines of the plan: after the last target question, up to the closing one."""
    begin = stdout.index("\n", stdout.rindex("What is your desired mind? (")) + 1
    return stdout[begin:stdout.index("\nTry another", begin)]


def serve(site):
    class QuietHandler(http.server.SimpleHTTPRequestHandler):
        extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                          ".wasm": "application/wasm", ".js": "text/javascript"}

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(QuietHandler, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--no-first-run", f"--user-data-dir={profile}",
                     "--window-size=1200,1400"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, script, timeout=120):
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script("return " + script))


def wait_ready(driver):
    wait_for(driver, "document.querySelector('#section-id option') !== null", 30)


def wait_answer(driver):
    """Waits for the answer to the plan just started: a plan shown or a refusal."""
    wait_for(driver, "(document.getElementById('status').dataset.ms || '') !== ''"
                     " || !document.getElementById('refusal').hidden")


def clear_timings(driver):
    driver.execute_script("const d = document.getElementById('status').dataset;"
                          " d.ms = ''; d.formsMs = '';")


def set_field(driver, field_id, value):
    field = driver.find_element(By.ID, field_id)
    field.clear()
    field.send_keys(str(value))


def fill_and_plan(driver, case, wait=True):
    select = lambda element_id, value: Select(driver.find_element(By.ID, element_id)) \
        .select_by_value(str(value))
    select("section-id", case["section"])
    select("char-class", case["char_class"])
    start = case["start"]
    kind = "new" if start is None else "grown"
    driver.find_element(By.CSS_SELECTOR, f'input[name="mag-kind"][value="{kind}"]').click()
    if start is not None:
        select("form", start["type"])
        for stat, value, bar in zip(STATS, start["stats"], start["bars"]):
            set_field(driver, f"start-{stat}", value)
            set_field(driver, f"start-{stat}Bar", bar)
    for stat, value in zip(STATS, case["target"]):
        set_field(driver, f"target-{stat}", value)
    select("goal", case["goal"])
    if case["goal"] != "first":
        select("final-form", "any" if case["form"] is None else case["form"])
    clear_timings(driver)
    driver.find_element(By.ID, "plan-button").click()
    if wait:
        wait_answer(driver)


def text_of(driver, element_id):
    return driver.execute_script(f"return document.getElementById('{element_id}').textContent")


def save_files(driver, downloads):
    """Clicks both save buttons and returns the bytes of the files they saved."""
    downloads.mkdir()
    driver.execute_cdp_cmd("Page.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(downloads)})
    for button in driver.find_elements(By.CSS_SELECTOR, "button.save"):
        button.click()
    deadline = time.monotonic() + 20
    paths = [downloads / name for name in FILES]
    while time.monotonic() < deadline and not all(p.exists() for p in paths):
        time.sleep(0.05)
    return {p.name: p.read_bytes() if p.exists() else None for p in paths}


def replays(driver, ostrel, case):
    """The page's rows fed with `ostrel feed`: each row's route is the mags the feed gives, and
    the runs reach the target exactly (in the form asked for), never passing it."""
    rows = driver.execute_script(
        "return [...document.querySelectorAll('#runs li')].map(r => "
        "[r.querySelector('.feed').textContent, r.querySelector('.route').textContent])")
    items = ", ".join(feed.replace(" × ", " ") for feed, _ in rows)
    fed = run_json(ostrel, "feed", case, "--items", items)
    mags = [fed["start"]] + [run["after"] for run in fed["runs"]]
    text = lambda m: f"{m['form']} ({m['level']}) " + "/".join(str(m["stats"][s]) for s in STATS)
    routes = [f"{text(before)} → {text(after)}" for before, after in zip(mags, mags[1:])]
    target = dict(zip(STATS, case["target"]))
    return ([route for _, route in rows] == routes
            and all(mag["stats"][s] <= target[s] for mag in mags for s in STATS)
            and mags[-1]["stats"] == target
            and case["form"] in (None, mags[-1]["formNumber"] - 1)), f"{rows[:3]}, fed {mags[:3]}"


def check_plan(driver, results, ostrel, case, downloads, fill=True):
    """Plans the case in the page (unless it is planned already) and in the console program."""
    name = case["name"]
    if fill:
        fill_and_plan(driver, case)
    if "shown" in case:
        shown = text_of(driver, "refusal")
        results.check(f"{name}: the page refuses with the command line's words",
                      shown == case["shown"], repr(shown))
        results.check(f"{name}: the field the verdict names is marked", "invalid" in
                      driver.find_element(By.ID, case["marked"]).get_attribute("class"))
        driver.save_screenshot(str(driver.shots / "refusal.png"))
        return
    stdout, native_files = run_native(ostrel, case)
    page = text_of(driver, "console")
    results.check(f"{name}: console lines as the console program's", page == plan_lines(stdout),
                  f"page {page[:200]!r}\nnative {plan_lines(stdout)[:200]!r}")
    results.check(f"{name}: the forms are listed for a goal only",
                  (driver.find_element(By.ID, "forms-card").get_attribute("hidden") is None)
                  == (case["goal"] != "first"))
    if native_files[FILES[0]] == b"":
        results.check(f"{name}: no plan, no save buttons",
                      not any(b.is_displayed()
                              for b in driver.find_elements(By.CSS_SELECTOR, "button.save")))
        return
    results.check(f"{name}: a new plan's rows start unticked", not driver.execute_script(
        "return [...document.querySelectorAll('#runs input')].some(b => b.checked)"))
    saved = save_files(driver, downloads / str(len(list(downloads.iterdir()))))
    results.check(f"{name}: both files saved byte for byte as the console program's",
                  saved == native_files, {n: len(v or b"") for n, v in saved.items()})
    results.check(f"{name}: the rows fed with ostrel feed go their routes to the target exactly",
                  *replays(driver, ostrel, case))


def check_forms_listing(driver, results, ostrel, case):
    """The final forms the page lists after a goal plan, against `ostrel forms`."""
    wait_for(driver, "(document.getElementById('status').dataset.formsMs || '') !== ''")
    forms = run_json(ostrel, "forms", case, "--goal", case["goal"], "--target",
                     "/".join(map(str, case["target"])))["forms"]
    order = ("meseta", "feedings") if case["goal"] == "cheapest" else ("feedings", "meseta")
    reached = sorted((f for f in forms if f["status"] == "reached"),
                     key=lambda f: tuple(f[k] for k in order))
    expected = [[f["form"], f"{f['feedings']:,}", f"{f['meseta']:,}"] for f in reached]
    shown = driver.execute_script("return [...document.querySelectorAll('#forms-reached tr')]"
                                  ".map(r => [...r.children].map(c => c.textContent))")
    results.check(f"{case['name']}: the forms reached listed as natively, best first",
                  shown == expected, f"page {shown}, native {expected}")
    excluded = sum(1 for f in forms if f["status"] == "excluded")
    other = text_of(driver, "forms-other")
    results.check(f"{case['name']}: the excluded forms counted, the not found ones named",
                  f"Excluded by the evolution rules ({excluded})" in other
                  and all(f["form"] in other for f in forms if f["status"] == "not-found")
                  and "impossible" not in other, repr(other[:200]))


def check_choosing_a_form(driver, results, ostrel, downloads):
    """Plans for the costlier form chosen in the listing."""
    check_plan(driver, results, ostrel, TWO_FORMS, downloads)
    check_forms_listing(driver, results, ostrel, TWO_FORMS)
    clear_timings(driver)
    driver.find_element(By.CSS_SELECTOR, f'#forms-reached tr[data-form="{ILA}"] button').click()
    wait_answer(driver)
    results.check("choosing a form sets the final form",
                  Select(driver.find_element(By.ID, "final-form")).first_selected_option
                  .get_attribute("value") == str(ILA))
    results.check("the listing stays and marks the chosen form",
                  driver.execute_script("return document.querySelector('#forms-reached tr.shown')"
                                        "?.dataset.form") == str(ILA))
    chosen = dict(TWO_FORMS, form=ILA, name="cheapest ending as ila, chosen in the listing")
    check_plan(driver, results, ostrel, chosen, downloads, fill=False)


def check_progress_line(driver, results):
    """A goal that takes seconds shows the feedings searched and the best plan so far."""
    fill_and_plan(driver, SLOW, wait=False)
    try:
        WebDriverWait(driver, 60).until(lambda d: "best so far" in text_of(d, "status"))
        line = text_of(driver, "status")
        ok = re.search(r"Searching… \d+\.\d s · [\d,]+ feedings searched · best so far "
                       r"[\d,]+ feedings, [\d,]+ meseta", line) is not None
    except Exception as error:  # pylint: disable=broad-except
        line, ok = repr(error), False
    results.check("a slow goal shows its progress line", ok, line)
    driver.save_screenshot(str(driver.shots / "progress.png"))
    driver.find_element(By.ID, "stop-button").click()
    WebDriverWait(driver, 30).until(lambda d: d.find_element(By.ID, "plan-button").is_enabled())


def check_ticks_survive_reload(driver, results):
    boxes = driver.find_elements(By.CSS_SELECTOR, "#runs input[type=checkbox]")
    boxes[0].click()
    boxes[2].click()
    driver.refresh()
    # The page plans the last request again when it opens.
    wait_ready(driver)
    wait_answer(driver)
    ticked = driver.execute_script("return [...document.querySelectorAll('#runs input')]"
                                   ".flatMap((b, i) => b.checked ? [i] : [])")
    results.check("ticks survive a reload", ticked == [0, 2], repr(ticked))
    fed = text_of(driver, "fed-count")
    results.check("the fed count follows the ticks", fed.startswith("2 of "), repr(fed))


def screenshots(driver, name):
    driver.save_screenshot(str(driver.shots / f"{name}desktop.png"))
    driver.set_window_size(390, 1400)
    time.sleep(0.3)
    driver.save_screenshot(str(driver.shots / f"{name}phone.png"))
    driver.set_window_size(1200, 1400)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", required=True, type=pathlib.Path)
    parser.add_argument("--ostrel", required=True, type=pathlib.Path)
    args = parser.parse_args()
    site, ostrel = args.site.resolve(), str(args.ostrel.resolve())
    results = Results()
    server = serve(site)
    origin = f"http://127.0.0.1:{server.server_port}"
    with tempfile.TemporaryDirectory() as scratch:
        downloads = pathlib.Path(scratch) / "downloads"
        downloads.mkdir()
        driver = start_browser(pathlib.Path(scratch) / "profile")
        try:
            driver.get(f"{origin}/index.html")
            wait_ready(driver)
            driver.shots = site / "screenshots"
            driver.shots.mkdir(exist_ok=True)
            for case in CASES:
                check_plan(driver, results, ostrel, case, downloads)
                if case is NEW_MAG:
                    check_ticks_survive_reload(driver, results)
                    screenshots(driver, "")
            for case in GOAL_CASES:
                check_plan(driver, results, ostrel, case, downloads)
                check_forms_listing(driver, results, ostrel, case)
                if case is GOAL_CASES[0]:
                    screenshots(driver, "goal-")
            check_choosing_a_form(driver, results, ostrel, downloads)
            check_progress_line(driver, results)
            requests = driver.execute_script(
                "return performance.getEntriesByType('resource').map(e => e.name)")
            outside = [r for r in requests if not r.startswith(origin + "/")]
            results.check("no request leaves the page", not outside, repr(outside))
            errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
            results.check("no error in the browser console", not errors, repr(errors))
        finally:
            driver.quit()
            server.shutdown()
    print(f"{results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
