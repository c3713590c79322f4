#!/bin/sh
# run_fuzzer.sh TARGET FUZZER SEEDTOOL REGRESSIONS RUNS
# Seeds from the demo data (the network targets: from the frames and the
# action messages of a real session), replays every kept regression case,
# then fuzzes RUNS inputs. A crash leaves its input in the printed file: keep
# it in REGRESSIONS so it is replayed forever after.
set -e
target=$1 fuzzer=$2 tool=$3 regressions=$4 runs=$5 replay=$6
work=$(mktemp -d)
maxlen=65536
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds"
case "$target" in
  net | action) "$tool" seeds "$work/seeds" >/dev/null ;;
  colortext) ;;
  spell_course) ;;
  ai_stream) ;;
  battle_round) ;;
  battle_orders) ;;
  lobby_data) ;;
  diary_text) "$tool" objectives "$work/seeds" >/dev/null ;;
  *) "$tool" build "$work/data" >/dev/null ;;
esac
case "$target" in
  archive)
    for a in globals scenario; do
      "$tool" decipher "$work/data/$a.dat" "$work/seeds/$a.plain"
    done ;;
  global_data)
    "$tool" decipher "$work/data/globals.dat" "$work/seeds/globals.plain" ;;
  ini)
    "$tool" ini "$work/seeds" "$work/data" ;;
  font)
    # The fonts take 100 to 250 KB each.
    maxlen=262144
    "$tool" build "$work/loose" --loose >/dev/null
    for f in "$work/loose/graphics/"*.fnt; do
      "$tool" decipher "$f" "$work/seeds/$(basename "$f")"
    done ;;
  sprite)
    # The lists hold large pictures now: shorter inputs keep a run cheap.
    maxlen=16384
    "$tool" build "$work/loose" --loose >/dev/null
    for f in "$work/loose/graphics/"*.gfl; do
      "$tool" decipher "$f" "$work/seeds/$(basename "$f")"
    done ;;
  text)
    "$tool" build "$work/loose" --loose >/dev/null
    for f in "$work/loose/globals/"*.txt; do
      "$tool" decipher "$f" "$work/seeds/$(basename "$f")"
    done ;;
  audio)
    for l in effects music speech; do
      "$tool" extract "$work/data/sounds.dat" "$l.aul" "$work/seeds/$l.aul"
    done
    "$tool" sound "$work/data/sounds.dat" effects.aul 1 "$work/seeds/click.audx"
    "$tool" sound "$work/data/sounds.dat" effects.aul 2 "$work/seeds/hit.audx"
    "$tool" sound "$work/data/sounds.dat" effects.aul 1 "$work/seeds/click.wav" --wav ;;
  mp3)
    "$tool" sound "$work/data/sounds.dat" music.aul 1 "$work/seeds/music.mp3" ;;
  scenario)
    # Whole files: the particle lists alone take 35 KB.
    maxlen=262144
    export ORV_FUZZ_DATA="$work/data"
    "$tool" scenario "$work/data" wide.scn 32 32 40 60 2 7
    for s in demo1.scn demo2.scn demo3.scn; do
      "$tool" extract "$work/data/scenario.dat" "$s" "$work/seeds/$s"
    done
    "$tool" decipher "$work/data/scenario/wide.scn" "$work/seeds/wide.scn" ;;
  ai_stream)
    "$tool" opponents "$work/seeds" ;;
  video_open)
    cp "$work/data/Video/"*.mpg "$work/seeds/" ;;
  credits)
    "$tool" build "$work/loose" --loose >/dev/null
    "$tool" decipher "$work/loose/globals/credits.txt" "$work/seeds/credits.txt" ;;
  save_header | save_game)
    maxlen=262144
    export ORV_FUZZ_DATA="$work/data"
    printf 'mission 1\nact endturn\nsave 01.sav\nglobal 1 0\nact endturn\n' >"$work/play.txt"
    "$replay" "$work/data" "$work/play.txt" >/dev/null
    for f in "$work/data/Save/"*.sav; do
      "$tool" decipher "$f" "$work/seeds/$(basename "$f")"
    done ;;
  settings)
    "$replay" settings "$work/seeds" ;;
  talk_page)
    "$replay" pages "$work/data" "$work/seeds" ;;
  spell_course)
    # Records like the demo spells': a projectile, a salvo, the rain, an
    # area, a summon and a battle spell.
    printf '\020\007\002\001\003\372\000\001\001\144\000\144\000\004\000\144\000\310\000\062\000\000\000\000\000\000\000\000\000\264\000\264\000\004\001\264\000\000\006\004\005' >"$work/seeds/projectile"
    printf '\036\007\002\001\003\220\001\002\001\144\000\144\000\144\000\024\000\000\000\000\000\000\000\000\000\000\000\000\000\264\000\264\000\004\001\264\000\000\006\004\005' >"$work/seeds/salvo"
    printf '\040\014\002\001\003\220\001\001\001\012\000\144\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\002\000\264\000\264\000\004\001\264\000\000\006\006\004' >"$work/seeds/rain"
    printf '\022\004\002\001\003\220\001\003\003\006\000\003\000\001\000\004\000\002\000\120\000\074\000\062\000\106\000\050\000\264\000\264\000\004\001\264\000\000\006\004\005' >"$work/seeds/area"
    printf '\056\007\002\001\003\220\001\001\001\074\000\002\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\264\000\264\000\174\001\174\001\000\011\011\005' >"$work/seeds/summon"
    printf '\136\007\002\001\003\220\001\001\001\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\144\000\144\000\310\000\310\000\000\000\000\001' >"$work/seeds/battle" ;;
  check_script)
    # Scripts using every command, run against the first demo mission.
    export ORV_FUZZ_DATA="$work/data"
    printf '<IFEQUAL(1,1)><SETRESULT(1)><ELSE><SETRESULT(-1)><ENDIF>' >"$work/seeds/blocks"
    printf '<SET(LOCAL1,GLOBAL2+3*4/2-1)><CRLF><IFGREATER(LOCAL1,2)><IFUNEQUAL(1,2)><IFTRUE(1)><IFFALSE(0)>' \
      >"$work/seeds/values"
    printf '<ENDIF><ENDIF><ENDIF><ENDIF><GETRANDOM(5)><SETRESULT(LOCAL0)>' >>"$work/seeds/values"
    printf '<LIVESUNIT(1000)><LIVEUNITSAND(1000,1001,0)><LIVEUNITSOR(5,1002)><GETPROTOTYPECOUNT(1,2)>' \
      >"$work/seeds/world"
    printf '<GETUNITSINAREA(1,1)><UNITINAREA(1,1000)><GETTURN><GETUNITS(2)><GETCONTROLLER(1001)>' \
      >>"$work/seeds/world"
    printf '<GETHEROID><UNITSINCITY(1001,1000,0)><SET(SPIELER,1)>' >>"$work/seeds/world" ;;
  markup)
    # Pages using the blocks and the commands of every row, on the first demo mission.
    export ORV_FUZZ_DATA="$work/data"
    printf '<TEXT><1>Hi <SHOWNAME><CRLF><SHOWEXPRESSION(GLOBAL1+2)><ENDTEXT><CHOICE>Yes<ENDCHOICE><CHOICE>No<ENDCHOICE>' \
      >"$work/seeds/page"
    printf '<SET(LOCAL1,3)><WHILE(LOCAL1)><SET(LOCAL1,LOCAL1-1)><LOOP(2)><TEXT>x<ENDTEXT><ENDLOOP><ENDWHILE>' \
      >"$work/seeds/loops"
    printf '<IFEQUAL(1,1)><NOTE>n<ENDNOTE><ELSE><DELETE><ENDIF><SETALIAS(A,LOCAL2)><SETALIAS(B,GLOBAL3)><SET(A,B+1)>' \
      >"$work/seeds/blocks"
    printf '<GIVEMONEY(100)><GETMONEY(0)><CHANGERELATION(0,1,1)><SETFOGAREA(1,2,0)><SETCITYOWNER(1001,1,0)>' \
      >"$work/seeds/world"
    printf '<GETCONTROLLER(1001)><GIVEQUEST(1)><GIVEOBJECTIVE(1,0)><GETHEROID(1)><GETQUESTSTATE(1)>' >>"$work/seeds/world"
    printf '<GETOBJECTIVESTATE(1)><RESETQUEST(1)><SHOWQUESTHERONAME(1)><GIVEARMY(0,5,5,1000,0)><GETRANDOM(3)>' \
      >>"$work/seeds/world"
    printf '<PLAYSOUND(1)><WRITELOG><WRITEEXPRESSIONLOG(1)><IFTRUE(1)><IFFALSE(0)><IFGREATER(2,1)><IFUNEQUAL(1,2)>' \
      >>"$work/seeds/world"
    printf '<ENDIF><ENDIF><ENDIF><ENDIF><KILLUNIT(1000)><GETCHOSEN>' >>"$work/seeds/world"
    # Unit records, after-effects, spells and skills: good and bad units, names and indexes.
    printf '<GETPROPERTY(0,HITPOINTS)><SETPROPERTY(0,ATTACK,5)><GETPROPERTY(1000,HITPOINTSMAX)><SETPROPERTY(1000,LEVEL,40)>' \
      >"$work/seeds/units"
    printf '<CHANGEPROPERTY(1000,MORALE,-70000)><SETPROPERTYTOALL(-1,-1,DEFENCE,3)><CHANGEPROPERTYTOALL(6,5,FOO,1)>' \
      >>"$work/seeds/units"
    printf '<GETPROPERTY(99999,MANA)><ADDAFTEREFFECT(1000,3,44)><ADDAFTEREFFECTS(2,5001,1000,1001,0)><CLEARAFTEREFFECT>' \
      >>"$work/seeds/units"
    printf '<ADDAFTEREFFECTTOALL(2,-1,0,90)><DELETEALLAFTEREFFECTSOFTYPE(0,-1,90)><LEARNSPELL(1000,3)><ALLOWSPELL(1000,65)>' \
      >>"$work/seeds/units"
    printf '<KNOWSSPELL(1000,3)><HASALLOWEDSPELL(1000,0)><LEARNSKILL(1000,64)><ALLOWSKILL(-1,1)><KNOWSSKILL(1000,1)>' \
      >>"$work/seeds/units"
    printf '<HASALLOWEDSKILL(1000,2147483647)><LOOP(100)><ADDAFTEREFFECTTOALL(-1,-1,1,7)><ENDLOOP>' >>"$work/seeds/units"
    # Units made, moved, sent off the map, into the city and killed; a map
    # filled until no field is left; IDs and fields that point nowhere.
    printf '<PLACEUNITOFPROTOTYPE(1,5,2,4,6)><SET(LOCAL3,LOCAL0)><PLACEUNITOFPROTOTYPE(-1,3,1,12,11,7777)>' \
      >"$work/seeds/placing"
    printf '<GETUNITPOSITION(LOCAL3)><DELETEUNIT(1016,1)><PLACEUNITSTOCITY(1003,1,1016,0)><UNITSINCITY(1003,1016,0)>' \
      >>"$work/seeds/placing"
    printf '<KILLUNIT(1017)><LIVESUNIT(1017)><MOVEGROUP(8,8,1020)><GETUNITSINGROUP><GETUNITID(1)><SQUAREEMPTY(8,8)>' \
      >>"$work/seeds/placing"
    printf '<UNITINAREA(1024,1013)><GETUNITSINAREA(1024,1)><DELETEUNIT(1013,0)><DELETEUNIT(1014,0)><GETUNITSINGROUP>' \
      >>"$work/seeds/placing"
    printf '<LOOP(400)><PLACEUNITOFPROTOTYPE(0,4,1,8,8)><ENDLOOP>' >"$work/seeds/crowd"
    printf '<MOVEGROUP(99,-3,1013)><PLACEUNITOFPROTOTYPE(9,99,0,-5,70000)><GETUNITID(7)><UNITINAREA(0,0)>' \
      >"$work/seeds/nowhere"
    # The computer's task and army that the harness adds: the next IDs of its opponent.
    task=10003 army=10004
    printf '<SETWEATHERSTATE(2)><ADDDOODLE(2,300,300)><SET(LOCAL3,LOCAL0)><CHANGEDOODLE(LOCAL3,1,100,100,0)>' \
      >"$work/seeds/scenery"
    printf '<CHANGEDOODLE(1021,3)><DELETEDOODLE(LOCAL3)><PLAYANIMATION(220,300,300,12,2,1)><PLAYANIMATION(0,1,1,1,1)>' \
      >>"$work/seeds/scenery"
    printf '<CENTERVIEWTO(300,300,0)><CENTERVIEWTO(-2147483647-1,2147483647)><CENTERVIEWTOUNIT(1013,5)>' \
      >>"$work/seeds/scenery"
    printf '<ENABLEMERCHANT(1004,2)><MERCHANTENABLED(1004)><ENABLEMERCHANT(1004,1)><CALL(1025)><CALL(1025)>' \
      >>"$work/seeds/scenery"
    printf '<SETACTIVE(1025,0)><ACTIVE(1025)><SETACTIVE(1025,1)><GETTURN><ADDDOODLE(9)>' >>"$work/seeds/scenery"
    printf '<ACTIVATETASK(%s)><DEACTIVATETASK(%s)><ASSIGNUNITS(%s,1016,1017,0,1018)><UNASSIGNUNITS(1016,99)>' \
      "$task" "$task" "$task" >"$work/seeds/tasks"
    printf '<ASSIGNARMY(%s,%s)><UNASSIGNARMY(%s)><ASSIGNUNITSARMY(%s,1016,1013)><UNASSIGNUNITSARMY(1017)>' \
      "$task" "$army" "$army" "$army" >>"$work/seeds/tasks"
    printf '<DELETETASK(%s)><ASSIGNUNITS(%s,0)>' "$task" "$task" >>"$work/seeds/tasks"
    # IDs that name nothing or the wrong thing: each ends its run.
    i=0
    for tag in '<DELETEDOODLE(1012)>' '<ENABLEMERCHANT(7,1)>' '<CALL(0)>' '<SETWEATHERSTATE(5)>' \
      "<ASSIGNUNITS($task,1013)>" '<ASSIGNUNITS(99,1016)>' '<UNASSIGNUNITSARMY(0)>' '<UNASSIGNARMY(1)>'; do
      i=$((i + 1))
      printf '%s' "$tag" >"$work/seeds/missing$i"
    done ;;
  diary_text)
    # Besides the demo's: each way a tag can be wrong.
    printf 'a <3>b<4> c' >"$work/seeds/mismatch"
    printf '<40>x<40>' >"$work/seeds/range"
    printf '<2>open' >"$work/seeds/unclosed"
    printf '<x>y<x><7' >"$work/seeds/number" ;;
  battle_round)
    # Three against three, level 3, every order a spell or a blow.
    head -c 600 /dev/zero >"$work/seeds/zero"
    {
      printf '\002\002\000\007\000'
      for u in 1 2 3 4 5 6; do printf '\001\003\050\000\024\000\012\000\012\000\040\000\014\000\001\000\062\000\012\000\000\000\000'; done
      for s in 105 120 0 69 88 122; do printf "\\001\\000\\000\\000\\002\\000\\000\\000\\$(printf %o $s)\\000\\000\\000\\004\\000\\000\\000"; done
    } >"$work/seeds/orders" ;;
esac
# A target's dictionary of tokens, where it has one.
dict=$(dirname "$regressions")/../dictionaries/$target.dict
[ -f "$dict" ] && set -- "-dict=$dict" || set --
exec "$fuzzer" "$@" -runs="$runs" -max_len="$maxlen" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/crash-" "$work/corpus" "$work/seeds" "$regressions"
