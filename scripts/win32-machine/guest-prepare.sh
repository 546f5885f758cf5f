# In the machine, once per cached machine image: makes the Wine prefix that
# every run starts from. The image is written in place and kept.
. /mnt/guest-env.sh
ldconfig
sh /var/lib/bayhaul/libwine.postinst configure
mkdir -p "$HOME/Desktop" "$HOME/Documents"
start=$(date +%s)
status=0
"$wine" wineboot --init >/tmp/wineboot.log 2>&1 || status=$?
"$wineserver" -w
cat /tmp/wineboot.log
if [ $status -eq 0 ] && [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
  echo "prefix made in $(($(date +%s) - start)) s"
else
  echo "prefix NOT made: wineboot exited with $status"
fi
power_off
