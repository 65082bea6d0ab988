#!/usr/bin/env bash
# Installs the Debian packages that building and testing Talvik need beyond
# the base image (g++, cmake, GoogleTest, Google Benchmark). Idempotent; does
# nothing when everything is present.
set -euo pipefail
packages=(ninja-build python3)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
