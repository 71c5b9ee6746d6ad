#!/usr/bin/env bash
# A model named on the command line opens framed whatever its size and place: a scan 0.1 units
# across near the origin and a CAD part 600 units wide at x = 1200 both fill the middle of the
# window. The title names the file, stderr says where the texture went, and 't' paints it.
source "$(dirname "$0")/../e2e/lib.sh" "$@"
layouts="$sourceDir/tests/data/model/layouts"

# litBox FILE.png: the bounding box of the non-black pixels as "width height x y".
litBox() {
  convert "$1" -fill white +opaque black -format '%@' info: | tr 'x+' '  '
}

# A named model is drawn on a 0.2 grey: blackBackground FILE.png paints what is within 12 levels
# of it black, so that the measures above see the model alone.
blackBackground() {
  convert "$1" -fuzz 4.7% -fill black -opaque 'rgb(51,51,51)' "$1"
}

checkFramed() {
  local name=$1 shot=$2
  local lit
  lit=$(litFraction "$shot" 400x400+0+0)
  atLeast "$lit" 0.08 || fail "$name covers only $lit of the window"
  read -r w h x y <<<"$(litBox "$shot")"
  # Centred: the middle of the lit box within 40 pixels of the window's middle, and the model
  # neither clipped at the window's edges nor lost in a corner.
  local cx=$((x + w / 2)) cy=$((y + h / 2))
  [ $((cx > 160 && cx < 240 && cy > 160 && cy < 240)) = 1 ] || fail "$name is not centred ($w x $h at $x,$y)"
  [ $((x > 0 && y > 0 && x + w < 400 && y + h < 400)) = 1 ] || fail "$name touches the window's edge ($w x $h at $x,$y)"
  [ $((w > 150 || h > 150)) = 1 ] || fail "$name is too small to be framed ($w x $h)"
}

for model in scan-tenth-unit-near-origin cad-millimetres-far-from-origin; do
  startLoaded --seed 7 "$layouts/$model.obj"
  grep -qF "the texture goes to \"./Data/example0.bmp\"" "$workDir/stderr.txt" ||
    fail "stderr does not say where the texture goes"
  shot "$model" 1
  blackBackground "$workDir/$model.png"
  checkFramed "$model" "$workDir/$model.png"
  cp "$workDir/stdout.txt" "$workDir/$model.stdout.txt"

  if [ "$model" = scan-tenth-unit-near-origin ]; then
    # 't' paints the generated texture on the scan (it has texture coordinates): many colours.
    before=$(colourCount "$workDir/$model.png")
    pressKey "$window" t
    shot "$model-t" 1
    blackBackground "$workDir/$model-t.png"
    after=$(colourCount "$workDir/$model-t.png")
    atLeast "$after" $((before * 4 + 50)) || fail "'t' did not paint the texture ($before -> $after colours)"
  fi
  if [ "$model" = cad-millimetres-far-from-origin ]; then
    # Space reloads the model that was opened, and the view stays framed.
    pressKey "$window" space
    waitForCount "$workDir/stdout.txt" "*** Objeto: $layouts/$model.obj" 2
    waitForCount "$workDir/stdout.txt" "Limites: " 2
    shot "$model-reloaded" 1
    blackBackground "$workDir/$model-reloaded.png"
    checkFramed "$model after Space" "$workDir/$model-reloaded.png"
  fi
  quitWithEscape
done
echo "PASS named_model_e2e"
