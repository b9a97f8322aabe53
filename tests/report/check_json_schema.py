"""Checks every JSON report the command tests had the command write against
the documented schema. Usage: check_json_schema.py SCHEMA FOLDER"""
import json
import pathlib
import sys

import jsonschema

schema = json.loads(pathlib.Path(sys.argv[1]).read_text())
jsonschema.Draft202012Validator.check_schema(schema)


def kind_validator(document):
    """The one kind a report claims to be (a measurement has a verdict), so a
    problem is reported key by key rather than as "none of the kinds"."""
    kind = "measurement" if isinstance(document, dict) and "verdict" in document else "comparison"
    only = {"$schema": schema["$schema"], "$defs": schema["$defs"], "$ref": f"#/$defs/{kind}"}
    return jsonschema.Draft202012Validator(only, format_checker=jsonschema.FormatChecker())

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
    for error in kind_validator(document).iter_errors(document):
        print(f"{report.name}: {'/'.join(str(p) for p in error.absolute_path) or '(top)'}: {error.message}")
        failed += 1
print(f"{len(reports)} reports checked, {failed} problems")
sys.exit(1 if failed else 0)
