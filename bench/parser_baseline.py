#!/usr/bin/env python3
"""Python's way to the router data of a share page, as the parser benchmark's baseline.

Usage: parser_baseline.py PAGE_FILE ROUNDS ITERATIONS
Prints the milliseconds per page, the median and the best of the rounds: UTF-8 decoding,
re.search for the router data, json.loads.
"""
import json
import re
import statistics
import sys
import time

PATTERN = re.compile(r"_ROUTER_DATA\s*=\s*(\{.*?\});", re.S)


def parse(body):
    match = PATTERN.search(body.decode("utf-8"))
    return json.loads(match.group(1))


def main():
    with open(sys.argv[1], "rb") as page_file:
        body = page_file.read()
    rounds, iterations = int(sys.argv[2]), int(sys.argv[3])
    data = parse(body)  # warm-up
    per_page = []
    for _ in range(rounds):
        start = time.perf_counter()
        for _ in range(iterations):
            data = parse(body)
        per_page.append((time.perf_counter() - start) * 1000.0 / iterations)
    item = data["loaderData"]["video_(id)/page"]["videoInfoRes"]["item_list"][0]
    if not item["author"]["nickname"]:
        sys.exit("baseline read the wrong object")
    print(f"{statistics.median(per_page):.4f} {min(per_page):.4f}")


if __name__ == "__main__":
    main()
