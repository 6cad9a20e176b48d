@echo off
echo Hello from Example Software!
pause
