#!/usr/bin/python3
"""The technician's page in a real headless Chromium: it loads, shows the
virtual printer's status, prints an X report and lists a saved journal.

Usage: page_in_chromium.py BIN_DIR   (where kestrel and kestrel-vprinter are)
Starts its own virtual printer and server in a private directory and stops
both by their process ids. Every wait is bounded."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as ec
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 30  # seconds, for anything the page or a program should do


def start_printer(bin_dir, work):
    link = os.path.join(work, "tty")
    printer = subprocess.Popen([os.path.join(bin_dir, "kestrel-vprinter"), "--link", link,
                                "--paper", os.path.join(work, "paper.txt")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + WAIT
    while not os.path.exists(link):
        if time.time() > deadline or printer.poll() is not None:
            raise RuntimeError("the virtual printer did not start")
        time.sleep(0.05)
    return printer, link


def start_server(bin_dir, work, link):
    profile = os.path.join(work, "profile.reg")
    with open(profile, "w", encoding="utf-8") as out:
        out.write("Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM]\n"
                  '"Port"="%s"\n"DataDirectory"="%s"\n' % (link, os.path.join(work, "data")))
    env = dict(os.environ, KESTREL_REGISTRY=profile)
    env.pop("KESTREL_SERVE_CRASH_AT", None)
    server = subprocess.Popen([os.path.join(bin_dir, "kestrel"), "serve", "--listen", "127.0.0.1:0"],
                              env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    deadline = time.time() + WAIT
    said = ""
    while time.time() < deadline:
        line = server.stdout.readline()
        said += line or ""
        match = re.search(r"listening on (http://\S+)", line or "")
        if match:
            return server, match.group(1)
        if not line and server.poll() is not None:
            break
    raise RuntimeError("the server did not start: " + said)


def browser(work):
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--lang=en-GB", "--user-data-dir=" + os.path.join(work, "chrome")):
        options.add_argument(argument)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(WAIT)
    driver.set_script_timeout(WAIT)
    return driver


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=WAIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=WAIT)


def main():
    bin_dir = sys.argv[1]
    # The port name holds at most 29 characters: a short directory.
    work = tempfile.mkdtemp(prefix="kp.", dir="/tmp")
    printer = server = driver = None
    checks = []
    try:
        printer, link = start_printer(bin_dir, work)
        server, url = start_server(bin_dir, work, link)
        driver = browser(work)
        wait = WebDriverWait(driver, WAIT)
        driver.get(url + "/")

        # The status of the virtual printer, in English, then in Slovak.
        wait.until(ec.text_to_be_present_in_element((By.ID, "st-firmware"), "2.5.23"))
        driver.find_element(By.ID, "lang-en").click()
        wait.until(ec.text_to_be_present_in_element((By.ID, "st-online"), "yes"))
        checks.append("status shown: firmware %s, paper %s" % (
            driver.find_element(By.ID, "st-firmware").text, driver.find_element(By.ID, "st-paper").text))
        driver.find_element(By.ID, "lang-sk").click()
        wait.until(ec.text_to_be_present_in_element((By.ID, "st-online"), "áno"))
        assert driver.find_element(By.ID, "x-report").text == "Tlačiť X-report"
        checks.append("Slovak labels")

        # The X report, printed by the virtual printer.
        driver.find_element(By.ID, "x-report").click()
        wait.until(ec.text_to_be_present_in_element((By.ID, "x-result"), "Hotovo"))
        deadline = time.time() + WAIT
        while "(X)" not in open(os.path.join(work, "paper.txt"), encoding="utf-8").read():
            assert time.time() < deadline, "the X report did not reach the paper"
            time.sleep(0.1)
        checks.append("X report printed")

        # A saved journal appears in the list.
        driver.find_element(By.ID, "journal-name").send_keys("den-1")
        driver.find_element(By.ID, "journal-save").click()
        wait.until(ec.text_to_be_present_in_element((By.ID, "journal-result"), "den-1.txt"))
        wait.until(ec.text_to_be_present_in_element((By.ID, "journals"), "den-1.txt"))
        checks.append("journal saved and listed")

        # A name with a path is refused, and the list stays as it was.
        driver.find_element(By.ID, "journal-name").clear()
        driver.find_element(By.ID, "journal-name").send_keys("../x")
        driver.find_element(By.ID, "journal-save").click()
        wait.until(ec.text_to_be_present_in_element((By.ID, "journal-result"), "file name"))
        assert "x.txt" not in driver.find_element(By.ID, "journals").text.replace("den-1.txt", "")
        checks.append("a path refused")
    finally:
        if driver is not None:
            driver.quit()
        stop(server)
        stop(printer)
        shutil.rmtree(work, ignore_errors=True)
    for check in checks:
        print("ok: " + check)
    print("%d passed, 0 failed" % len(checks))


if __name__ == "__main__":
    main()
