#!/usr/bin/env bash
# Prepares, when missing, the demo on the embedded engine: a database DEMO with the user demo
# (password demo) and a table PEOPLE, a tnsnames.ora naming the alias DEMO, and a copy of the
# sample dBASE file with its field-link file. Prints the environment lines to use them.
#
# Usage: demo-setup.sh BUILD_DIR DEMO_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
demo=$2
mkdir -p "$demo/ocilite" "$demo/network/admin" "$demo/files"
export OCILITE_HOME="$demo/ocilite"
ocisql="$build/ocilite/ocisql"
if [ ! -f "$OCILITE_HOME/DEMO.db" ]; then
  "$ocisql" --create DEMO --system-password manager >/dev/null
  "$ocisql" system/manager@DEMO -c "create user demo identified by demo" \
    -c "grant connect, resource to demo" >/dev/null
  "$ocisql" demo/demo@DEMO "$root/demo/people.sql" >/dev/null
fi
cat > "$demo/network/admin/tnsnames.ora" <<TNS
DEMO =
  (DESCRIPTION =
    (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))
    (CONNECT_DATA = (SERVICE_NAME = DEMO)))
TNS
for f in people.dbf people.dbt people.ini; do
  [ -f "$demo/files/$f" ] || cp "$root/demo/$f" "$demo/files/$f"
done
