--Base tables of a Quintor database.Types : money is INTEGER x 10 000, --yes / no INTEGER 0 / 1,
    dates TEXT yyyy - MM - dd,
    times TEXT HH : mm : ss,
                         --durations INTEGER seconds.Logins,
                         customers and article and voucher codes-- compare as NOCASE
    : ASCII letters fold,
      every other character is exact.

      CREATE TABLE
      articulos(CODIGO TEXT COLLATE NOCASE UNIQUE, ARTICULO TEXT, PRECIO INTEGER DEFAULT 0,
                IdTax INTEGER DEFAULT 0);

CREATE TABLE bonos(CODIGO TEXT COLLATE NOCASE UNIQUE, DESCRIPCION TEXT, PRECIO INTEGER DEFAULT 0,
                   tiempo_bono INTEGER DEFAULT 0);

CREATE TABLE ciber(FECHA TEXT, HORA TEXT, NPUESTO INTEGER, MODALIDAD TEXT, NUM_TICKET TEXT, TARIFA TEXT,
                   OPERADOR TEXT, CLIENTE TEXT COLLATE NOCASE, TIEMPO INTEGER);
CREATE INDEX ciber_fecha ON ciber(FECHA);

CREATE TABLE cuentas(Login TEXT COLLATE NOCASE UNIQUE, Pass TEXT, Nombre TEXT, Dir TEXT, Telf TEXT,
                     email TEXT, Alta TEXT, Ultima TEXT, Tipo TEXT, Tarifa TEXT, credito INTEGER DEFAULT 0,
                     Bonotiempo INTEGER DEFAULT 0, Descuento INTEGER DEFAULT 0, Bloquear INTEGER DEFAULT 0,
                     Desactivada INTEGER DEFAULT 0, Intropass INTEGER DEFAULT 0, Nomodpass INTEGER DEFAULT 0,
                     Aviso TEXT, CheckAviso INTEGER DEFAULT 0, Escritorio INTEGER DEFAULT 0,
                     Observaciones TEXT);

CREATE TABLE franjas(id_fran INTEGER PRIMARY KEY AUTOINCREMENT, franja_ini TEXT, franja_fin TEXT,
                     id_tar INTEGER, tarifa TEXT);

CREATE TABLE Grids(GRID1COL0 INTEGER, GRID1COL1 INTEGER, GRID1COL2 INTEGER, GRID1COL3 INTEGER,
                   GRID1COL4 INTEGER, GRID1COL5 INTEGER, GRID1COL6 INTEGER, PANELIZQ INTEGER,
                   GRID2COL0 INTEGER, GRID2COL1 INTEGER, GRID2COL2 INTEGER, GRID2COL3 INTEGER,
                   GRID2COL4 INTEGER, GRID2COL5 INTEGER, GRID2COL6 INTEGER, PANELINF INTEGER,
                   GRIDCUECOL0 INTEGER, GRIDCUECOL1 INTEGER, GRIDCUECOL2 INTEGER, GRIDCUECOL3 INTEGER,
                   GRIDCUECOL4 INTEGER, GRIDCUECOL5 INTEGER, GRIDCODCOL0 INTEGER, GRIDCODCOL1 INTEGER,
                   GRIDCODCOL2 INTEGER);

CREATE TABLE lintarifas(id_tarifa INTEGER, franja_ini INTEGER, franja_fin INTEGER, precio INTEGER DEFAULT 0);
CREATE INDEX lintarifas_tarifa ON lintarifas(id_tarifa, franja_fin);

CREATE TABLE lintick(ID_LIN INTEGER PRIMARY KEY AUTOINCREMENT, ID_TICK INTEGER, CODIGO TEXT COLLATE NOCASE,
                     ARTICULO TEXT, CANT REAL DEFAULT 0, PRECIO INTEGER DEFAULT 0, IMPORTE INTEGER DEFAULT 0,
                     BONO INTEGER DEFAULT 0, IdTax INTEGER DEFAULT 0);
CREATE INDEX lintick_ticket ON lintick(ID_TICK);

CREATE TABLE movcuentas(ID INTEGER PRIMARY KEY AUTOINCREMENT, CUENTA TEXT COLLATE NOCASE, FECHA TEXT,
                        HORA TEXT, TICKET TEXT, CONCEPTO TEXT, SALDO_ANT INTEGER, SALDO_MOV INTEGER,
                        SALDO_FIN INTEGER, saldoti_ant_bono INTEGER, SALDOTI_MOV TEXT,
                        saldoti_fin_bono INTEGER, CONTA INTEGER DEFAULT 0, TIPOMOV TEXT);
CREATE INDEX movcuentas_conta ON movcuentas(CONTA);

CREATE TABLE opciones(NUM_TICK INTEGER DEFAULT 0, TEXTO_TICK TEXT, TEXTO_FINAL TEXT, TXTCIBER_INI TEXT,
                      TXTCIBER_FIN TEXT, TXTCUENTA_INI TEXT, TXTCUENTA_FIN TEXT, TOTALIZAPUESTO INTEGER,
                      redondeo INTEGER, alarmacredito INTEGER, dbeditpesetas INTEGER, stringciber INTEGER,
                      op4_cash INTEGER, alinicio INTEGER DEFAULT 0, porfranjas INTEGER DEFAULT 0,
                      porfranjascli INTEGER DEFAULT 0, Host INTEGER DEFAULT 0, desgloseiva INTEGER DEFAULT 0,
                      op2_1 INTEGER DEFAULT 0, op2_4 INTEGER DEFAULT 0, op2_6 INTEGER DEFAULT 0,
                      op2_7 INTEGER DEFAULT 0, op3_1 INTEGER DEFAULT 0, op3_3 INTEGER DEFAULT 0,
                      op3_4 INTEGER DEFAULT 0, op3_6 INTEGER DEFAULT 0, op4_2 INTEGER DEFAULT 0,
                      op4_3 INTEGER DEFAULT 0, sup INTEGER DEFAULT 0, inf INTEGER DEFAULT 0,
                      tick_cargo INTEGER DEFAULT 0, tick_aviso INTEGER DEFAULT 0, alarmaprepago INTEGER,
                      op4_4 INTEGER, contador INTEGER, izq_sup INTEGER, izq_inf INTEGER, panelinf INTEGER,
                      DBLookUp TEXT, textocargo TEXT, impresoratick TEXT, ini_tarifa TEXT, ini_tarifa_2 TEXT,
                      pass_ini TEXT, pass_ini2 TEXT, ID TEXT, ini_met TEXT, ini_time TEXT, ini_time_cod TEXT,
                      stringtiempo TEXT, ping INTEGER, iva_gen INTEGER, cad_cod INTEGER, cad_cue INTEGER,
                      dias_cad_cue INTEGER, dias_cad_cod INTEGER, cambiotarifa INTEGER, cmb_1 INTEGER,
                      cmb_1_val INTEGER, op2_2 INTEGER, op2_5 INTEGER, op3_2 INTEGER, cmb_2 INTEGER,
                      cmb_2_val INTEGER, op4_1 INTEGER, ini_desktop INTEGER, ini_desktop_cod INTEGER,
                      imp_cierre INTEGER DEFAULT 0);

CREATE TABLE operadores(ID INTEGER PRIMARY KEY AUTOINCREMENT, NOMBRE TEXT COLLATE NOCASE, PASS TEXT,
                        CONFPUE INTEGER DEFAULT 0, CONFTAR INTEGER DEFAULT 0, CONFFRA INTEGER DEFAULT 0,
                        CONFBON INTEGER DEFAULT 0, CONFTPV INTEGER DEFAULT 0, CONFTIC INTEGER DEFAULT 0,
                        CONFTUR INTEGER DEFAULT 0, CONFOP INTEGER DEFAULT 0, CUEADD INTEGER DEFAULT 0,
                        CUEMOD INTEGER DEFAULT 0, CUEELI INTEGER DEFAULT 0, CUECRE INTEGER DEFAULT 0,
                        CUETAR INTEGER DEFAULT 0, APAGA1 INTEGER DEFAULT 0, APAGA2 INTEGER DEFAULT 0,
                        APAGA3 INTEGER DEFAULT 0, APAGA4 INTEGER DEFAULT 0, APAGATODOS INTEGER DEFAULT 0,
                        DESACTIVA INTEGER DEFAULT 0, ACTIVA INTEGER DEFAULT 0, VENTATPV INTEGER DEFAULT 0,
                        LISTADO1 INTEGER DEFAULT 0, LISTADO2 INTEGER DEFAULT 0, LISTADO3 INTEGER DEFAULT 0,
                        LISTADO4 INTEGER DEFAULT 0, INFORME1 INTEGER DEFAULT 0, INFORME2 INTEGER DEFAULT 0,
                        INFORME3 INTEGER DEFAULT 0, INFORME4 INTEGER DEFAULT 0, INFORME5 INTEGER DEFAULT 0,
                        CONFIMP INTEGER DEFAULT 0, CONFLOGS INTEGER DEFAULT 0, IMPLOGPAS INTEGER DEFAULT 0,
                        IMPLOGPAS_1 INTEGER DEFAULT 0, MODFECHACAD INTEGER DEFAULT 0);

CREATE TABLE puestos(npuesto INTEGER UNIQUE, ip TEXT, ip1 INTEGER, ip2 INTEGER, ip3 INTEGER, ip4 INTEGER,
                     host TEXT, preciorel INTEGER DEFAULT 100, trsinconex INTEGER DEFAULT 0,
                     estado INTEGER DEFAULT 1, sinconex TEXT DEFAULT '0', tiempo INTEGER DEFAULT 0,
                     coste INTEGER DEFAULT 0, seg_prepago INTEGER DEFAULT 0, coste_prepago INTEGER DEFAULT 0,
                     cuenta TEXT COLLATE NOCASE, pass TEXT, tarifa TEXT, tipotarifa TEXT,
                     cerraraut INTEGER DEFAULT 0, pagado INTEGER DEFAULT 0, descuento INTEGER DEFAULT 0,
                     Modoconexion INTEGER DEFAULT 0, tiempointercambio INTEGER DEFAULT 0,
                     costeintercambio INTEGER DEFAULT 0, ticket TEXT);
CREATE INDEX npuesto ON puestos(npuesto);

CREATE TABLE recargas(CODIGO TEXT COLLATE NOCASE, DESCRIPCION TEXT, PRECIO INTEGER DEFAULT 0);

CREATE TABLE tarifas(ID_TAR INTEGER PRIMARY KEY AUTOINCREMENT, NOM TEXT, TIPO INTEGER DEFAULT 0,
                     COS_HORA INTEGER DEFAULT 0, COS_MIN INTEGER DEFAULT 0);

CREATE TABLE tasas(IdTax INTEGER PRIMARY KEY AUTOINCREMENT, Nombre TEXT, valor REAL DEFAULT 0);

CREATE TABLE ticket(ID_TICK INTEGER PRIMARY KEY AUTOINCREMENT, NUM_TICKET TEXT, FECHA TEXT, HORA TEXT,
                    IMPORTE INTEGER DEFAULT 0, CLIENTE TEXT COLLATE NOCASE, NPUESTO INTEGER DEFAULT 0,
                    MODO TEXT, CONTA INTEGER DEFAULT 0, OPERADOR TEXT, OBSERVACIONES TEXT);
CREATE INDEX ticket_num ON ticket(NUM_TICKET);
CREATE INDEX ticket_conta ON ticket(CONTA);
CREATE INDEX ticket_fecha ON ticket(FECHA);

CREATE TABLE turnos(TURNO TEXT, HORA_INI TEXT, HORA_FIN TEXT);

CREATE TABLE udart(UD REAL DEFAULT 0, ART TEXT, PRE INTEGER DEFAULT 0, IMP INTEGER DEFAULT 0,
                   ENTREGADO INTEGER DEFAULT 0, CAMBIO INTEGER DEFAULT 0);

CREATE TABLE webconfig(Id INTEGER PRIMARY KEY AUTOINCREMENT, activar INTEGER DEFAULT 0, smtp TEXT, port TEXT,
                       userid TEXT, body TEXT, copy TEXT, blindcopy TEXT, de TEXT, attach TEXT, to1 TEXT,
                       to2 TEXT, to3 TEXT, deinformes TEXT, toinformes TEXT, smtpinformes TEXT,
                       portinformes TEXT, ccinformes TEXT, inicio INTEGER DEFAULT 0, fin INTEGER DEFAULT 0,
                       cambio INTEGER DEFAULT 0, resumen INTEGER DEFAULT 0, estado INTEGER DEFAULT 0,
                       informe INTEGER DEFAULT 0, frecuencia INTEGER DEFAULT 0,
                       Desocupacion_p INTEGER DEFAULT 0);
