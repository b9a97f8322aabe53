"""Checks every JSON report the command tests had the command write against
the documented schema. Usage: check_json_schema.py SCHEMA FOLDER"""
import json
import pathlib
import sys

import jsonschema

schema = json.loads(pathlib.Path(sys.argv[1]).read_text())
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema, format_checker=jsonschema.FormatChecker())
reports = sorted(pathlib.Path(sys.argv[2]).glob("*.json"))
if not reports:
    sys.exit(f"no JSON reports in {sys.argv[2]}: the command tests keep theirs there")
failed = 0
for report in reports:
    try:
        document = json.loads(report.read_text())
    except json.JSONDecodeError as e:
        print(f"{report.name}: not JSON: {e}")
        failed += 1
        continue
    for error in validator.iter_errors(document):
        print(f"{report.name}: {'/'.join(str(p) for p in error.absolute_path) or '(top)'}: {error.message}")
        failed += 1
print(f"{len(reports)} reports checked, {failed} problems")
sys.exit(1 if failed else 0)
