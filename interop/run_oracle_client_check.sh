#!/usr/bin/env bash
# Runs oracle_client_check.cs through Mono's System.Data.OracleClient on the engine.
# Usage: run_oracle_client_check.sh MCS MONO LIBOCILITE OCISQL SOURCE SCRATCH
set -euo pipefail
mcs=$1 mono=$2 library=$3 ocisql=$4 source=$5 scratch=$6
rm -rf "$scratch"
mkdir -p "$scratch/lib" "$scratch/home"
# The provider loads libclntsh.so; a link to the engine is all it needs.
ln -s "$(realpath "$library")" "$scratch/lib/libclntsh.so"
"$mcs" -nologo -out:"$scratch/oracle_client_check.exe" \
  -r:System.Data.dll -r:System.Data.OracleClient.dll "$source"
export OCILITE_HOME="$scratch/home"
"$ocisql" --create INTEROP --system-password manager
LD_LIBRARY_PATH="$scratch/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  NLS_LANG=AMERICAN_AMERICA.AL32UTF8 \
  "$mono" --debug "$scratch/oracle_client_check.exe" INTEROP
