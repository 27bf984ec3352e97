#!/usr/bin/env bash
# CI runs exactly the test command the README gives a new user.
#   ci_runs_readme_command.sh SOURCE_DIR
set -euo pipefail
readme_command=$(grep -o '^bash tools/test\.sh' "$1/README.md" | head -n 1)
ci_command=$(grep -v '^\s*#\|^\s*$\|^set \|^cd ' "$1/.ci/run")
if [ -z "$readme_command" ] || [ "$ci_command" != "$readme_command" ]; then
  echo "FAILED: .ci/run runs '$ci_command', the README's test command is '$readme_command'"
  exit 1
fi
echo "passed: both run '$ci_command'"
