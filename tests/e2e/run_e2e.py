#!/usr/bin/env python3
"""Runs one end-to-end scenario (module.function from scenarios/) or prepares the Wine prefix."""
import argparse
import importlib
import sys
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
import harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    for option in ("exe", "driver", "texts", "work", "docs"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--version", default="", help="the project version the texts name")
    parser.add_argument("--packages", help="folder of the release packages (scripts/package)")
    parser.add_argument("--wine", type=int, choices=harness.WINES, default=8)
    parser.add_argument("--prepare", action="store_true")
    parser.add_argument("--scenario")
    args = parser.parse_args()
    harness.use_wine(args.wine)
    config = harness.Config(args.exe, args.driver, args.texts, args.work, args.docs, args.version,
                            args.packages, args.wine)
    if args.prepare:
        harness.prepare_template(config)
        print("Wine prefix ready:", config.template)
        return 0
    module_name, function_name = args.scenario.split(".")
    module = importlib.import_module(f"scenarios.{module_name}")
    scenario = getattr(module, function_name)
    only = getattr(scenario, "only_under_wine", args.wine)
    if only != args.wine:
        print(f"{args.scenario} runs under Wine {only} only: {scenario.why_only}")
        return 1
    session = harness.Session(config, f"{module_name}.{function_name}")
    try:
        scenario(session)
    except Exception:
        traceback.print_exc()
        print(f"artifacts: {session.artifacts}")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
