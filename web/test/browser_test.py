#!/usr/bin/python3
# Drives ostrel's web page in headless Chromium and checks it against the console program.
#
# Plans each case of tests/cases/browser_cases.jsonl in the page served on 127.0.0.1: its console
# lines and saved files byte for byte as the `ostrel` dialogue's on the same answers and goal, its
# rows and their bars replayed with `ostrel feed`, its shopping list as `ostrel plan` lists it, its
# forms listing as `ostrel forms` lists them (and the final-form menu marking the excluded ones), a
# form chosen there, its refusal, a trade-off point opened without a search, a plan again from a
# row's mag, the cheapest plan where the first-found search gave up, a case on the planner with
# threads (the page served cross-origin isolated); also the progress line, focus after planning,
# ticks surviving a reload, links to plans (the address of a plan, opened afresh, going back and
# forth, offline with the server gone), nothing served but the site, no request leaving the page,
# no error in the browser console, a link planned where the browser keeps no site data.
# Screenshots go to screenshots/ beside SITE. Ends with "N passed, N failed". Usage:
# browser_test.py --site build-web/site --ostrel build/ostrel (timings: bench/).
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
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))
from serve import SiteHandler  # noqa: E402  pylint: disable=wrong-import-position

STATS = ("def", "pow", "dex", "mind")
FILES = ("feedingPlan.txt", "feedingPlan2.txt")


# One case a line: its name, the page's request, what to do after the plan ("then": ticks,
# listing, progress, history, here, rescue, focus), for a refused mag the page's words and the
# field marked, for a
# case opened as a link its address's query ("link"; a bad one with the faults listed, "errors"),
# and for a case planned where the page is cross-origin isolated, on two threads, "isolated".
CASES = pathlib.Path(__file__).resolve().parents[2] / "tests" / "cases" / "browser_cases.jsonl"


class Results(list):
    def check(self, name, ok, detail=""):
        self.append(bool(ok))
        print(f"ok - {name}" if ok else f"FAIL - {name}: {detail}")


def page_numbers(driver, request):
    """The request in the page's numbers (its selects' values, the dialogue's menus): the
    player's, start's and final form's names looked up among the page's own options."""
    options = driver.execute_script(
        "return ['section-id', 'char-class', 'form'].map(id => [...document.getElementById(id)"
        ".options].map(o => o.textContent.replace(/^\\d+: /, '').toLowerCase()))")
    index = lambda which, name: options[which].index(name.lower())
    start = request.get("start")
    if start is not None:
        start = dict(type=index(2, start["form"]), **start["stats"],
                     **{f"{stat}Bar": bar for stat, bar in start["bars"].items()})
    form = request.get("form")
    return dict(request, sectionId=index(0, request["player"]["sectionId"]),
                charClass=index(1, request["player"]["charClass"]), start=start,
                form=None if form is None else index(2, form))


def numbers(start, suffix=""):
    return "/".join(str(start[stat + suffix]) for stat in STATS)


def run_native(ostrel, request):
    """The console program's dialogue on the request's answers and goal: its output and files."""
    start = request["start"]
    answers = ["", request["sectionId"], request["charClass"]] + (["1"] if start is None else [
        "2", start["type"] + 1] + [start[stat + bar] for stat in STATS for bar in ("", "Bar")])
    answers += [request["target"][stat] for stat in STATS] + ["n", ""]
    goal = [] if request["goal"] == "first" else ["--goal", request["goal"]]
    goal += [] if request["form"] is None else ["--form", str(request["form"] + 1)]
    goal += ["--max-feedings", str(request["maxFeedings"])] if "maxFeedings" in request else []
    with tempfile.TemporaryDirectory() as work:
        done = subprocess.run([ostrel] + goal, input="\n".join(map(str, answers)).encode(),
                              cwd=work, capture_output=True, timeout=120, check=False)
        files = {name: (pathlib.Path(work) / name).read_bytes() for name in FILES}
    return done.stdout.decode(), files


def run_text(ostrel, command, request, *more):
    """`ostrel COMMAND` for the request's player and mag: its standard output (printed also when
    the command finds no plan and exits 1)."""
    args = [ostrel, command, "--section", str(request["sectionId"]),
            "--class", str(request["charClass"]), *more]
    if (start := request["start"]) is not None:
        args += ["--mag", str(start["type"] + 1), "--stats", numbers(start),
                 "--bars", numbers(start, "Bar")]
    return subprocess.run(args, capture_output=True, timeout=300, check=False).stdout


def run_json(ostrel, command, request, *more):
    """`ostrel COMMAND --format json` for the request's player and mag, as a document."""
    return json.loads(run_text(ostrel, command, request, "--format", "json", *more))


def native_plan(ostrel, request, text=False):
    """`ostrel plan --format json` (or its text) for the request, its goal, form and budget."""
    more = [] if request["form"] is None else ["--form", str(request["form"] + 1)]
    more += ["--max-feedings", str(request["maxFeedings"])] if "maxFeedings" in request else []
    more += ["--no-files", "--target", numbers(request["target"]), "--goal", request["goal"]]
    return run_text(ostrel, "plan", request, *more) if text else run_json(ostrel, "plan", request,
                                                                           *more)


def plan_lines(stdout):
    """The console lines of the plan: after the last target question, up to the closing one."""
    begin = stdout.index("\n", stdout.rindex("What is your desired mind? (")) + 1
    return stdout[begin:stdout.index("\nTry another", begin)]


def serve(site, isolated=False):
    """The site on a free port of 127.0.0.1; cross-origin isolated (web/serve.py) if asked."""
    class QuietHandler(SiteHandler):
        log_message = lambda *args: None

    QuietHandler.isolated = isolated

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(QuietHandler, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(profile, keeps_site_data=True):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("headless=new", "no-sandbox", "disable-dev-shm-usage", "no-first-run",
                     "disable-background-networking", "disable-component-update", "disable-sync",
                     f"user-data-dir={profile}", "window-size=1200,1400"):
        options.add_argument("--" + argument)
    if not keeps_site_data:  # the player's setting that blocks every site's data
        options.add_experimental_option(
            "prefs", {"profile.default_content_setting_values.cookies": 2})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, script, timeout=120):
    WebDriverWait(driver, timeout).until(lambda d: d.execute_script("return " + script))


READY = "document.querySelector('#section-id option') !== null"


def wait_answer(driver, timeout=120):
    """Waits for the answer to the plan just started: a plan shown or a refusal."""
    wait_for(driver, "(document.getElementById('status').dataset.ms || '') !== ''"
                     " || !document.getElementById('refusal-card').hidden", timeout)


# The forms listing that follows a goal plan is shown.
FORMS_LISTED = "(document.getElementById('status').dataset.formsMs || '') !== ''"
# What the page says where the first-found search gave up.
GAVE_UP = ("The first-found search gave up on this target after trying as many feedings as it "
           "may. A plan may still exist: the cheapest plan's search usually finds one where this "
           "one gives up.")


def plan_with(driver, button, wait=True):
    """Clicks a button that plans, its answer's timings cleared first so that the wait sees it."""
    driver.execute_script("const d = document.getElementById('status').dataset;"
                          " d.ms = ''; d.formsMs = '';")
    button.click()
    if wait:
        wait_answer(driver)


def fill_and_plan(driver, request, wait=True):
    select = lambda element_id, value: Select(driver.find_element(By.ID, element_id)) \
        .select_by_value(str(value))
    set_field = lambda field_id, value: (field := driver.find_element(By.ID, field_id)).clear() \
        or field.send_keys(str(value))
    select("section-id", request["sectionId"])
    select("char-class", request["charClass"])
    kind = "new" if request["start"] is None else "grown"
    driver.find_element(By.CSS_SELECTOR, f'input[name="mag-kind"][value="{kind}"]').click()
    for key, value in (request["start"] or {}).items():
        if key == "type":
            select("form", value)
        else:
            set_field(f"start-{key}", value)
    for stat in STATS:
        set_field(f"target-{stat}", request["target"][stat])
    set_field("max-feedings", request.get("maxFeedings", ""))
    set_field("max-meseta", request.get("maxMeseta", ""))
    select("goal", request["goal"])
    if request["goal"] != "first":
        select("final-form", "any" if request["form"] is None else request["form"])
    plan_with(driver, driver.find_element(By.ID, "plan-button"), wait)


def text_of(driver, element_id):
    return driver.execute_script(f"return document.getElementById('{element_id}').textContent")


def save_files(driver, downloads):
    """Clicks both save buttons and returns the bytes of the files they saved."""
    downloads.mkdir()
    driver.execute_cdp_cmd("Page.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(downloads)})
    for button in driver.find_elements(By.CSS_SELECTOR, "button.save"):
        button.click()
    # A file can show under its name before the browser has written it all: it is read once
    # both are there, no download is still in progress, and their sizes held for a poll.
    deadline = time.monotonic() + 20
    paths = [downloads / name for name in FILES]
    sizes = None
    while time.monotonic() < deadline:
        now = [p.stat().st_size if p.exists() else None for p in paths]
        busy = any(downloads.glob("*.crdownload"))
        if None not in now and not busy and now == sizes:
            break
        sizes = now
        time.sleep(0.1)
    return {p.name: p.read_bytes() if p.exists() else None for p in paths}


def replays(driver, ostrel, request):
    """The page's rows fed with `ostrel feed`: each row's route is the mags the feed gives, with
    their bars, and the runs reach the target exactly (in the form asked for), never passing it."""
    rows = driver.execute_script(
        "return [...document.querySelectorAll('#runs li')].map(r => "
        "[r.querySelector('.feed').textContent, r.querySelector('.route').textContent,"
        " [...r.querySelectorAll('.bars')].map(b => b.getAttribute('aria-label'))])")
    items = ", ".join(feed.replace(",", "").replace(" × ", " ") for feed, _, _ in rows)
    fed = run_json(ostrel, "feed", request, "--items", items)
    mags = [fed["start"]] + [run["after"] for run in fed["runs"]]
    text = lambda m: f"{m['form']} ({m['level']}) " + "/".join(str(m["stats"][s]) for s in STATS)
    bars = lambda m: ", ".join(f"{s} bar {m['bars'][s]}" for s in STATS)
    routes = [[f"{text(before)} → {text(after)}", [bars(before), bars(after)]]
              for before, after in zip(mags, mags[1:])]
    target = request["target"]
    return ([[route, shown_bars] for _, route, shown_bars in rows] == routes
            and all(mag["stats"][s] <= target[s] for mag in mags for s in STATS)
            and mags[-1]["stats"] == target
            and request["form"] in (None, mags[-1]["formNumber"] - 1)), f"{rows[:3]} {mags[:3]}"


def check_plan(driver, results, ostrel, case, downloads, fill=True):
    """Plans the case in the page (unless it is planned already) and in the console program."""
    name, request = case["name"], case["request"]
    if fill:
        fill_and_plan(driver, request)
    if "shown" in case:
        shown = text_of(driver, "refusal")
        results.check(f"{name}: the page refuses with the command line's words",
                      shown == case["shown"], repr(shown))
        results.check(f"{name}: the field the verdict names is marked", "invalid" in
                      driver.find_element(By.ID, case["marked"]).get_attribute("class"))
        driver.save_screenshot(str(driver.shots / "refusal.png"))
        return
    stdout, native_files = run_native(ostrel, request)
    page = text_of(driver, "console")
    results.check(f"{name}: console lines as the console program's", page == plan_lines(stdout),
                  f"page {page[:200]!r}\nnative {plan_lines(stdout)[:200]!r}")
    results.check(f"{name}: the forms are listed for a goal only",
                  (driver.find_element(By.ID, "forms-card").get_attribute("hidden") is None)
                  == (request["goal"] != "first"))
    native = native_plan(ostrel, request)
    if native_files[FILES[0]] == b"":
        results.check(f"{name}: no plan, no save buttons",
                      not any(b.is_displayed()
                              for b in driver.find_elements(By.CSS_SELECTOR, "button.save")))
        # Without a reason (the first plan found gave up), the page says a plan may still exist
        # and offers the cheapest plan's search.
        reason, gave_up = native["reason"], native["outcome"] == "gave-up"
        want = f"{reason[0].upper()}{reason[1:]}." if reason else GAVE_UP
        summary = text_of(driver, "summary")
        results.check(f"{name}: why there is no plan, as the command line says it",
                      summary == want and driver.find_element(By.ID, "rescue-button").is_displayed()
                      == (gave_up and request["goal"] == "first"), repr(summary))
        return
    results.check(f"{name}: a new plan's rows start unticked", not driver.execute_script(
        "return [...document.querySelectorAll('#runs input')].some(b => b.checked)"))
    saved = save_files(driver, downloads / str(len(list(downloads.iterdir()))))
    results.check(f"{name}: both files saved byte for byte as the console program's",
                  saved == native_files, {n: len(v or b"") for n, v in saved.items()})
    results.check(f"{name}: the rows and their bars fed with ostrel feed go their routes to the "
                  "target exactly", *replays(driver, ostrel, request))
    shopping = driver.execute_script("return [...document.querySelectorAll('#shopping tbody tr,"
                                     " #shopping tfoot tr')].map(r => r.innerText.split('\\t'))")
    want = [[i["item"], f"{i['count']:,}", f"{i['meseta']:,}"] for i in native["shopping"]["items"]]
    want.append(["Total", f"{native['summary']['feedings']:,}", f"{native['shopping']['meseta']:,}"])
    results.check(f"{name}: the shopping list as ostrel plan lists it", shopping == want,
                  f"page {shopping}, native {want}")
    told = native_plan(ostrel, request, text=True).decode().splitlines()
    want = next((line for line in told if line.startswith(("at most ", "proven "))), "")
    results.check(f"{name}: how far above the best possible, as ostrel plan says it",
                  text_of(driver, "bound") == want, f"page {text_of(driver, 'bound')!r}, native {want!r}")


def check_forms_listing(driver, results, ostrel, case):
    """The final forms the page lists after a goal plan, against `ostrel forms`."""
    wait_for(driver, FORMS_LISTED)
    request = case["request"]
    listing = run_json(ostrel, "forms", request, "--goal", request["goal"], "--target",
                       numbers(request["target"]))
    forms = listing["forms"]
    if listing["reason"] is not None:
        note = text_of(driver, "forms-note")
        results.check(f"{case['name']}: why no form was reached, as the command line says it",
                      note == f"{listing['reason'][0].upper()}{listing['reason'][1:]}.", repr(note))
    order = ("meseta", "feedings") if request["goal"] == "cheapest" else ("feedings", "meseta")
    reached = sorted((f for f in forms if f["status"] == "reached"),
                     key=lambda f: tuple(f[k] for k in order))
    expected = [[f["form"], f"{f['feedings']:,}", f"{f['meseta']:,}"] for f in reached]
    shown = driver.execute_script("return [...document.querySelectorAll('#forms-reached tr')]"
                                  ".map(r => [...r.children].map(c => c.textContent))")
    results.check(f"{case['name']}: the forms reached listed as natively, best first",
                  [row[:3] for row in shown] == expected, f"page {shown}, native {expected}")
    # How far each is above the best ending in its form: the words of `ostrel forms` in full on
    # hover, and the cell the same, short.
    text = run_text(ostrel, "forms", request, "--goal", request["goal"], "--target",
                    numbers(request["target"])).decode()
    told = dict(re.findall(r"^ +(\S+) +\d+ feedings +\d+ meseta +[\d.]+ hours  (.+)$", text, re.M))
    titles = driver.execute_script("return [...document.querySelectorAll('#forms-reached tr')]"
                                   ".map(r => r.children[3].title)")
    want = [told.get(f["form"], "") for f in reached]
    short = ["proven" if w.startswith("proven") else re.sub(r"^at most (\d+)% above .*", r"≤ \1%", w)
             for w in want]
    results.check(f"{case['name']}: each form's distance from its best as ostrel forms says it",
                  titles == want and [row[3] for row in shown] == short
                  and (any(want) or not reached),
                  f"page {titles} {[row[3:] for row in shown]}, native {want}")
    excluded = [f["formNumber"] - 1 for f in forms if f["status"] == "excluded"]
    other = text_of(driver, "forms-other")
    results.check(f"{case['name']}: the excluded forms counted, the not found ones named",
                  f"Ruled out ({len(excluded)})" in other
                  and all(f["form"] in other for f in forms if f["status"] == "not-found")
                  and "impossible" not in other, repr(other[:200]))
    marked = driver.execute_script("return [...document.getElementById('final-form').options]"
                                   ".filter(o => o.disabled).map(o => Number(o.value))")
    results.check(f"{case['name']}: the final-form menu marks the excluded forms",
                  marked == excluded, f"page {marked}, native {excluded}")
    # A target refused, then back to the plan and forward to the refusal: the menu marks this
    # target's excluded forms, and none of them on the refused target's step. Back on the plan.
    field = driver.find_element(By.ID, "target-def")
    field.clear()
    field.send_keys("4")
    plan_with(driver, driver.find_element(By.ID, "plan-button"))
    steps = []
    for step in (driver.back, driver.forward, driver.back):
        driver.execute_script("document.getElementById('status').dataset.ms = ''")
        step()
        time.sleep(0.5)
        wait_answer(driver)
        steps.append(driver.execute_script("return [...document.getElementById('final-form')"
                                           ".options].filter(o => o.disabled).length"))
    results.check(f"{case['name']}: the menu's marks follow the history's steps",
                  excluded and steps == [len(excluded), 0, len(excluded)], repr(steps))


def check_choosing_a_form(driver, results, ostrel, case, downloads):
    """Plans for the costlier form chosen in the listing: of the request listed, whatever the
    fields hold since."""
    form = str(case["choose"])
    field = driver.find_element(By.ID, "target-def")
    field.clear()
    field.send_keys("7")
    plan_with(driver, driver.find_element(By.CSS_SELECTOR,
                                          f'#forms-reached tr[data-form="{form}"] button'))
    results.check("choosing a form sets the final form",
                  Select(driver.find_element(By.ID, "final-form")).first_selected_option
                  .get_attribute("value") == form)
    results.check("the listing stays and marks the chosen form",
                  driver.execute_script("return document.querySelector('#forms-reached tr.shown')"
                                        "?.dataset.form") == form)
    chosen = dict(name=f"{case['name']}, ending as form {form} chosen in the listing",
                  request=dict(case["request"], form=case["choose"]))
    check_plan(driver, results, ostrel, chosen, downloads, fill=False)


def check_tradeoffs(driver, results, ostrel, case, downloads):
    """The trade-off listed as `ostrel tradeoffs` lists it, and its first point, chosen on the
    chart, planned as the console program plans that budget."""
    wait_for(driver, FORMS_LISTED)
    driver.execute_script("document.getElementById('status').dataset.tradeoffMs = ''")
    driver.find_element(By.ID, "tradeoff-button").click()
    wait_for(driver, "(document.getElementById('status').dataset.tradeoffMs || '') !== ''", 300)
    request = case["request"]
    points = run_json(ostrel, "tradeoffs", request, "--target", numbers(request["target"]))["points"]
    expected = [f"{p['feedings']:,} feedings · {p['meseta']:,} meseta" for p in points]
    shown = driver.execute_script("return [...document.querySelectorAll('#tradeoff-points li')]"
                                  ".map(li => li.textContent.split(' · ').slice(0, 2).join(' · '))")
    results.check(f"{case['name']}: the trade-off as ostrel tradeoffs lists it",
                  shown == expected and len(points) > 2, f"page {shown}, native {expected}")
    told = run_text(ostrel, "tradeoffs", request, "--target", numbers(request["target"])).decode()
    ends = dict(re.findall(r"^(Shortest|Cheapest): (.+)$", told, re.M))
    want = f"The shortest plan is {ends['Shortest']}. The cheapest is {ends['Cheapest']}."
    results.check(f"{case['name']}: how near the ends come to the best, as ostrel tradeoffs says it",
                  text_of(driver, "tradeoff-bound") == want,
                  f"page {text_of(driver, 'tradeoff-bound')!r}, native {want!r}")
    driver.save_screenshot(str(driver.shots / "tradeoffs.png"))
    chart = driver.find_element(By.CSS_SELECTOR, "#tradeoff-chart .u-over")
    driver.execute_script("document.getElementById('status').dataset.ms = ''")
    sent = watch_requests(driver)
    ActionChains(driver).move_to_element_with_offset(chart, -chart.size["width"] // 2 + 2, 0) \
        .click().perform()
    wait_answer(driver)
    results.check("a trade-off point opens without a search: the planner is sent its replay alone",
                  sent() == ["replay"], sent())
    chosen = dict(name=f"{case['name']}, the shortest point chosen on the chart",
                  request=dict(request, goal="cheapest", maxFeedings=points[0]["feedings"]))
    check_plan(driver, results, ostrel, chosen, downloads, fill=False)
    printed = text_of(driver, "plan-for")
    results.check("the printed request names its budget",
                  printed.endswith(f"· at most {points[0]['feedings']:,} feedings"), printed)


def watch_requests(driver):
    """Records the kinds of the requests the page sends its planner from now on; returns what
    reads them."""
    driver.execute_script("window.sentKinds = []; const post = Worker.prototype.postMessage;"
                          "Worker.prototype.postMessage = function (message) {"
                          " window.sentKinds.push(message.type); return post.call(this, message); }")
    return lambda: driver.execute_script("return window.sentKinds")


def check_here(driver, results, ostrel, case, downloads):
    """"My mag is here" on the third row plans again from that row's mag, in one click: the form
    and the link hold the mag, and the new plan starts from it, as the console program plans it."""
    row = driver.find_element(By.CSS_SELECTOR, '#runs button.here[data-here="2"]')
    mag = driver.execute_script("return arguments[0].closest('li').querySelector('.mag')"
                                ".textContent.trim()", row)
    plan_with(driver, row)
    value = lambda element_id: int(driver.find_element(By.ID, element_id).get_attribute("value"))
    start = {key: value(f"start-{key}") for key in (*STATS, *(stat + "Bar" for stat in STATS))}
    start["type"] = value("form")
    first = driver.execute_script("return document.querySelector('#runs .mag').textContent.trim()")
    results.check(f"{case['name']}: my mag is here, plans from the row's mag, in the link too",
                  first == mag and "&mag=" in driver.current_url and
                  driver.switch_to.active_element.get_attribute("id") == "summary", f"{first} {mag}")
    moved = dict(name=f"{case['name']}, again from its third row's mag",
                 request=dict(case["request"], start=start))
    check_plan(driver, results, ostrel, moved, downloads, fill=False)


def check_rescue(driver, results, ostrel, case, downloads):
    """Where the first-found search gave up, the button plans the cheapest plan."""
    plan_with(driver, driver.find_element(By.ID, "rescue-button"))
    cheapest = dict(name=f"{case['name']}, the cheapest plan asked for where it gave up",
                    request=dict(case["request"], goal="cheapest"))
    results.check("the give-up's button plans the cheapest plan", "goal=cheapest" in
                  driver.current_url, driver.current_url)
    check_plan(driver, results, ostrel, cheapest, downloads, fill=False)


def check_focus(driver, results):
    """Focus stays where the player was: in a field left with Enter, on the Plan button pressed
    from the keyboard (disabled while the plan runs). A field typed wrong then marks the plan
    stale."""
    for element_id, key in (("target-mind", Keys.ENTER), ("plan-button", Keys.SPACE)):
        driver.execute_script("document.getElementById('status').dataset.ms = '';"
                              " document.getElementById(arguments[0]).focus()", element_id)
        ActionChains(driver).send_keys(key).perform()
        wait_answer(driver)
        focused = driver.switch_to.active_element.get_attribute("id")
        results.check(f"after planning from {element_id}, focus stays there", focused == element_id,
                      focused)
    driver.find_element(By.ID, "target-mind").send_keys("x", Keys.ENTER)
    results.check("a field typed wrong marks the plan on the page stale",
                  "stale" in driver.find_element(By.ID, "result").get_attribute("class")
                  and driver.find_element(By.ID, "stale-note").is_displayed())


def check_only_the_site_served(results, origin, site):
    """The folder served holds the site's files alone (those its service worker keeps, and the
    worker), and the build's own files are not to be had from it."""
    kept = re.search(r'const FILES = "([^"]*)"', (site / "service-worker.js").read_text()).group(1)
    files = {str(path.relative_to(site)) for path in site.rglob("*") if path.is_file()}
    results.check("the site folder holds the site's files alone",
                  files == set(kept.split()) | {"service-worker.js"}, sorted(files))
    def status(path):
        try:
            return urllib.request.urlopen(f"{origin}/{path}").status
        except urllib.error.HTTPError as error:
            return error.code
    build = ("CMakeCache.txt", "compile_commands.json", "libostrel_core.a", "../CMakeCache.txt",
             "%2e%2e/CMakeCache.txt")
    results.check("nothing of the build is served", [status(path) for path in build] == [404] * 5
                  and status("index.html") == 200, [status(path) for path in build])


BEST_SO_FAR = re.compile(r"best so far ([\d,]+) feedings, ([\d,]+) meseta")


def check_budget_progress(driver, results, request):
    """Under a budget the searches' best may be past it: the progress line shows the feedings
    searched and never such a best."""
    fill_and_plan(driver, request, wait=False)
    lines = set()
    def answered(d):
        lines.add(text_of(d, "status"))
        return (d.find_element(By.ID, "status").get_attribute("data-ms") or "") != ""
    WebDriverWait(driver, 120, poll_frequency=0.05).until(answered)
    bests = [tuple(int(n.replace(",", "")) for n in best.groups())
             for best in map(BEST_SO_FAR.search, lines) if best]
    over = [best for best in bests if best[0] > request.get("maxFeedings", best[0])
            or best[1] > request.get("maxMeseta", best[1])]
    results.check("under a budget the progress line shows no best past it",
                  any("feedings searched" in line for line in lines) and not over,
                  sorted(lines))


def check_progress_line(driver, results, request):
    """A goal that takes seconds shows the feedings searched and the best plan so far; stopped,
    it leaves the address on the plan shown before it."""
    if "maxFeedings" in request or "maxMeseta" in request:
        check_budget_progress(driver, results, request)
        return
    before = driver.current_url
    fill_and_plan(driver, request, wait=False)
    # The line as it was seen: read again, it may already be the listing's (a fast machine).
    def progress_shown(d):
        status = text_of(d, "status")
        return status if "best so far" in status else False
    line = WebDriverWait(driver, 60).until(progress_shown)
    ok = re.search(r"Searching… \d+\.\d s · [\d,]+ feedings searched · best so far "
                   r"[\d,]+ feedings, [\d,]+ meseta", line) is not None
    results.check("a slow goal shows its progress line", ok, line)
    driver.save_screenshot(str(driver.shots / "progress.png"))
    driver.find_element(By.ID, "stop-button").click()
    WebDriverWait(driver, 30).until(lambda d: d.find_element(By.ID, "plan-button").is_enabled())
    # The plan may have come before the click, which then stopped the listing after it.
    shown = driver.execute_script("return document.getElementById('status').dataset.ms") != ""
    results.check("stopped, the address stays on the plan shown", (driver.current_url == before)
                  != shown, f"{driver.current_url} (the new plan shown: {shown})")



def check_budget_slips(driver, results, link_goal):
    """A link's goal implied as on the command line; a budget that is none (not a whole number,
    or below its least) is marked and leaves the goal as chosen; emptied, it is no budget,
    unmarked."""
    field, goal = driver.find_element(By.ID, "max-feedings"), Select(driver.find_element(By.ID, "goal"))
    chosen = lambda: goal.first_selected_option.get_attribute("value")
    results.check("a link's budget and form without a goal: the goal they mean", chosen() == link_goal,
                  chosen())
    driver.find_element(By.ID, "max-meseta").clear()
    goal.select_by_value("first")
    for slip in ("abc", "0"):
        field.clear()
        field.send_keys(slip)
        plan_with(driver, driver.find_element(By.ID, "plan-button"), wait=slip == "0")
        results.check(f"a budget typed {slip!r} is marked, the goal left as chosen",
                      "invalid" in field.get_attribute("class") and chosen() == "first", chosen())
    field.clear()
    plan_with(driver, driver.find_element(By.ID, "plan-button"))
    results.check("an emptied budget is none, unmarked", "invalid" not in field.get_attribute("class")
                  and goal.first_selected_option.get_attribute("value") == "first")


def check_ticks_survive_reload(driver, results):
    for box in driver.find_elements(By.CSS_SELECTOR, "#runs input[type=checkbox]")[0:3:2]:
        box.click()
    driver.refresh()
    # The page plans the last request again when it opens.
    wait_for(driver, READY, 30)
    wait_answer(driver)
    ticked = driver.execute_script("return [...document.querySelectorAll('#runs input')]"
                                   ".flatMap((b, i) => b.checked ? [i] : [])")
    results.check("ticks survive a reload", ticked == [0, 2], repr(ticked))
    fed = text_of(driver, "fed-count")
    results.check("the fed count follows the ticks", fed.startswith("2 of "), repr(fed))


def check_without_site_data(results, profile, address, lines):
    """A browser that keeps no site data (localStorage throws): a link still opens its plan,
    and a tick is counted, only not kept."""
    driver = start_browser(profile, keeps_site_data=False)
    try:
        open_link(driver, address)
        wait_answer(driver)
        results.check("no site data kept: the link's plan shown", text_of(driver, "console")
                      == lines, text_of(driver, "summary"))
        driver.find_element(By.CSS_SELECTOR, "#runs input[type=checkbox]").click()
        fed = text_of(driver, "fed-count")
        errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        results.check("no site data kept: a tick counted, no error",
                      fed.startswith("1 of ") and not errors, f"{fed!r} {errors!r}")
    finally:
        driver.quit()


def open_link(driver, address):
    driver.get(address)
    wait_for(driver, READY, 30)


# A first plan found in a moment, as the form's numbers give it.
QUICK_REQUEST = {"sectionId": 0, "charClass": 0, "start": None, "goal": "first",
                 "target": {"def": 6, "pow": 1, "dex": 0, "mind": 2}}
# A goal that takes a second or more.
SLOW_REQUEST = {"player": {"sectionId": "Pinkal", "charClass": "Fomar"}, "goal": "cheapest",
                "form": None, "start": None, "target": {"def": 35, "pow": 20, "dex": 20, "mind": 25}}


def check_bad_link(driver, results, origin, case):
    open_link(driver, f"{origin}/index.html?{case['link']}")
    errors = driver.execute_script("return [...document.querySelectorAll('#field-errors li')]"
                                   ".map(e => e.textContent)")
    ids = case["marked"] if isinstance(case["marked"], list) else [case["marked"]]
    marked = all("invalid" in driver.find_element(By.ID, i).get_attribute("class") for i in ids)
    # The choices show what the link gives (its value, or its text for a form), faults and all.
    shows = all(driver.execute_script(
        "const e = document.getElementById(arguments[0]); return [e.value, e.selectedOptions[0]"
        ".textContent].includes(arguments[1])", field, value)
        for field, value in case.get("shows", {}).items())
    results.check(f"{case['name']}: its faults listed and marked, nothing planned",
                  errors == case["errors"] and marked and shows
                  and not driver.find_element(By.ID, "result").is_displayed(), repr(errors))
    # A plan made from there, a slow one started, and back to the link at once: its faults
    # again, no plan shown, and the slow plan's answer does not take the link's step.
    link = driver.current_url
    fill_and_plan(driver, QUICK_REQUEST)
    fill_and_plan(driver, page_numbers(driver, SLOW_REQUEST), wait=False)
    driver.back()
    time.sleep(3)
    results.check(f"{case['name']}: back to it while a plan runs, the link's step and no plan",
                  driver.current_url == link
                  and not driver.find_element(By.ID, "result").is_displayed(), driver.current_url)


def check_stopped_step(driver, results):
    """A slow plan, a quick one after it, the page reloaded (nothing kept), back to the slow
    plan's step and its search stopped: the quick plan is not left showing as that step's."""
    fill_and_plan(driver, page_numbers(driver, SLOW_REQUEST))
    fill_and_plan(driver, QUICK_REQUEST)
    driver.refresh()
    wait_for(driver, READY, 30)
    wait_answer(driver)
    driver.back()
    wait_for(driver, "!document.getElementById('stop-button').hidden", 30)
    driver.find_element(By.ID, "stop-button").click()
    stopped = text_of(driver, "status") == "Stopped."
    results.check("a step's search stopped: no other step's plan shown", not stopped
                  or not driver.find_element(By.ID, "result").is_displayed(), driver.current_url)


def check_addresses(driver, results, steps):
    """Each step (back, forward, the address opened afresh) shows the address and the console
    lines of the plan shown there before."""
    for step, address, lines in steps:
        driver.execute_script("document.getElementById('status').dataset.ms = ''")
        step()
        wait_for(driver, READY, 30)
        wait_answer(driver)
        shown = (driver.current_url, text_of(driver, "console"))
        results.check(f"{getattr(step, '__name__', 'offline, the link')}: the plan of {address}",
                      shown == (address, lines), f"{shown[0]} {shown[1][:200]!r}")


def screenshots(driver, name):
    driver.save_screenshot(str(driver.shots / f"{name}desktop.png"))
    driver.set_window_size(390, 1400)
    time.sleep(0.3)
    driver.save_screenshot(str(driver.shots / f"{name}phone.png"))
    driver.set_window_size(1200, 1400)


def main():
    parser = argparse.ArgumentParser(description="The web page against the console program")
    parser.add_argument("--site", required=True, type=pathlib.Path)
    parser.add_argument("--ostrel", required=True, type=pathlib.Path)
    args = parser.parse_args()
    site, ostrel = args.site.resolve(), str(args.ostrel.resolve())
    results = Results()
    server, isolated = serve(site), serve(site, isolated=True)
    origin = f"http://127.0.0.1:{server.server_port}"
    with tempfile.TemporaryDirectory() as scratch:
        downloads = pathlib.Path(scratch) / "downloads"
        downloads.mkdir()
        driver = start_browser(pathlib.Path(scratch) / "profile")
        try:
            driver.get(f"{origin}/index.html")
            wait_for(driver, READY, 30)
            driver.shots = site.parent / "screenshots"
            driver.shots.mkdir(exist_ok=True)
            shown = []  # the address and the console lines of each case shown
            check_stopped_step(driver, results)
            for case in map(json.loads, CASES.open(encoding="utf-8")):
                if "errors" in case:
                    check_bad_link(driver, results, origin, case)
                    continue
                if "choose" in case:  # a form's name, as the page's listing shows it
                    case["choose"] = page_numbers(driver, dict(case["request"],
                                                               form=case["choose"]))["form"]
                case["request"] = page_numbers(driver, case["request"])
                # The steps after the plan: one, or a list of them.
                then = case.get("then")
                steps = then if isinstance(then, list) else [then]
                if then == "progress":
                    check_progress_line(driver, results, case["request"])
                    continue
                if "link" in case:
                    open_link(driver, f"{origin}/index.html?{case['link']}")
                    wait_answer(driver)
                if "isolated" in case:
                    open_link(driver, f"http://127.0.0.1:{isolated.server_port}/index.html")
                check_plan(driver, results, ostrel, case, downloads, fill="link" not in case)
                if "isolated" in case:
                    threads = driver.execute_script(
                        "return document.getElementById('status').dataset.threads")
                    results.check(f"{case['name']}: the planner with threads planned it",
                                  threads == "2", repr(threads))
                    open_link(driver, f"{origin}/index.html")
                    wait_answer(driver)  # the page plans its last request again
                    continue
                shown.append((driver.current_url, text_of(driver, "console")))
                if then == "history":
                    check_addresses(driver, results, [(driver.back, *shown[-2]),
                                                      (driver.forward, *shown[-1]),
                                                      (driver.refresh, *shown[-1])])
                    offline = shown[-1]
                if then == "budget slips":
                    check_budget_slips(driver, results, case["request"]["goal"])
                if then == "ticks":
                    check_ticks_survive_reload(driver, results)
                    screenshots(driver, "")
                if "listing" in steps:
                    check_forms_listing(driver, results, ostrel, case)
                    screenshots(driver, "goal-")
                if "choose" in case:
                    check_choosing_a_form(driver, results, ostrel, case, downloads)
                if "tradeoffs" in steps:
                    check_tradeoffs(driver, results, ostrel, case, downloads)
                if "here" in steps:
                    check_here(driver, results, ostrel, case, downloads)
                    shown.append((driver.current_url, text_of(driver, "console")))
                if "rescue" in steps:
                    check_rescue(driver, results, ostrel, case, downloads)
                if "focus" in steps:
                    check_focus(driver, results)
            requests = driver.execute_script(
                "return performance.getEntriesByType('resource').map(e => e.name)")
            outside = [r for r in requests if not r.startswith(origin + "/")]
            results.check("no request leaves the page", not outside, repr(outside))
            check_only_the_site_served(results, origin, site)
            # Offline: the server gone, a link opens from the service worker's cache and plans.
            driver.execute_async_script("navigator.serviceWorker.ready.then(() => arguments[0]())")
            server.shutdown()
            server.server_close()
            reopen = functools.partial(open_link, driver, offline[0])
            check_addresses(driver, results, [(reopen, *offline)])
            errors = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
            results.check("no error in the browser console", not errors, repr(errors))
        finally:
            driver.quit()
            server.shutdown()
        try:
            check_without_site_data(results, pathlib.Path(scratch) / "no-data", offline[0].replace(
                origin, f"http://127.0.0.1:{isolated.server_port}"), offline[1])
        finally:
            isolated.shutdown()
    print(f"{results.count(True)} passed, {results.count(False)} failed")
    return 1 if False in results else 0


if __name__ == "__main__":
    sys.exit(main())
