# The files an install of Orvane consists of, relative to the root; sourced by the checks.
expected=(
  usr/bin/orvane
  usr/share/applications/example.vellix.Orvane.desktop
  usr/share/metainfo/example.vellix.Orvane.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/orvane.svg
  usr/share/doc/orvane/copyright
  usr/share/doc/orvane/changelog.gz
  usr/share/man/man1/orvane.1.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/orvane.png")
done
