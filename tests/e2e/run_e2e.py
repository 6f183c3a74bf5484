#!/usr/bin/env python3
"""Runs one end-to-end scenario (module.function from scenarios/), or every scenario of a file
(module) one after the other on desks they share, or prepares the Wine prefix."""
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
    module_name, _, function_name = args.scenario.partition(".")
    module = importlib.import_module(f"scenarios.{module_name}")
    if function_name:
        return run(config, module, function_name)
    # The whole file, its tests one after the other, on desks they share.
    pool = harness.DesktopPool()
    try:
        names = [name for name, value in vars(module).items()
                 if name.startswith("test_") and value.__module__ == module.__name__]
        failed = [name for name in names if run(config, module, name, pool) != 0]
    finally:
        pool.close()
    print(f"{len(names) - len(failed)} of {len(names)} passed" +
          "".join(f"\nfailed: {module_name}.{name}" for name in failed))
    return 1 if failed else 0


def run(config, module, function_name, pool=None):
    """Runs one scenario; 0 when it passed, or when it is not one for this Wine."""
    name = f"{module.__name__.split('.')[-1]}.{function_name}"
    scenario = getattr(module, function_name)
    only = getattr(scenario, "only_under_wine", config.wine)
    if only != config.wine:
        print(f"{name} runs under Wine {only} only: {scenario.why_only}")
        return 0 if pool else 1
    session = harness.Session(config, name, pool)
    try:
        scenario(session)
    except Exception:
        traceback.print_exc()
        print(f"{name}: failed; artifacts: {session.artifacts}")
        return 1
    print(f"{name}: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
