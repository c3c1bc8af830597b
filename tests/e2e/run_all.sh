#!/usr/bin/env bash
echo "no e2e yet"
