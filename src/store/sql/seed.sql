-- The rows every database starts with. Money is x 10 000.
INSERT INTO opciones (
    NUM_TICK, TEXTO_TICK, TEXTO_FINAL, TXTCIBER_INI, TXTCIBER_FIN, TXTCUENTA_INI, TXTCUENTA_FIN,
    TOTALIZAPUESTO, redondeo, alarmacredito, dbeditpesetas, stringciber, op4_cash,
    alinicio, porfranjas, porfranjascli, Host, desgloseiva,
    op2_1, op2_4, op2_6, op2_7, op3_1, op3_3, op3_4, op3_6, op4_2, op4_3,
    sup, inf, tick_cargo, tick_aviso,
    alarmaprepago, op4_4, contador, izq_sup, izq_inf, panelinf,
    DBLookUp, textocargo, impresoratick, ini_tarifa, ini_tarifa_2,
    pass_ini, pass_ini2, ID, ini_met, ini_time, ini_time_cod, stringtiempo,
    ping, iva_gen, cad_cod, cad_cue, dias_cad_cue, dias_cad_cod,
    cambiotarifa, cmb_1, cmb_1_val, op2_2, op2_5, op3_2, cmb_2, cmb_2_val, op4_1, ini_desktop, ini_desktop_cod,
    imp_cierre)
VALUES (
    0, 'CIBERCAFÉ', 'Gracias por su visita', 'CIBERCAFÉ', 'Gracias por su visita', 'CIBERCAFÉ', 'Gracias por su visita',
    0, 500, 5000, 0, 0, 10000,
    0, 0, 0, 0, 1,
    1, 1, 0, 0, 1, 0, 0, 0, 0, 0,
    1, 1, 0, 1,
    120, 1, 0, 0, 0, 400,
    ' ', '', 'NoPrinter', '', '     ',
    '          ', '         ', 'ciber.mdb', '     ', '    ', '       ', '00:00:00',
    1, 1, 0, 1, 365, 30,
    1, 0, 4, 1, 1, 1, 0, 4, 0, 0, 0,
    0);

INSERT INTO Grids (
    GRID1COL0, GRID1COL1, GRID1COL2, GRID1COL3, GRID1COL4, GRID1COL5, GRID1COL6, PANELIZQ,
    GRID2COL0, GRID2COL1, GRID2COL2, GRID2COL3, GRID2COL4, GRID2COL5, GRID2COL6, PANELINF,
    GRIDCUECOL0, GRIDCUECOL1, GRIDCUECOL2, GRIDCUECOL3, GRIDCUECOL4, GRIDCUECOL5,
    GRIDCODCOL0, GRIDCODCOL1, GRIDCODCOL2)
VALUES (
    50, 60, 80, 70, 80, 80, 0, 200,
    80, 80, 70, 160, 80, 80, 0, 200,
    90, 180, 60, 120, 80, 80,
    90, 80, 120);

INSERT INTO udart (UD, ART, PRE, IMP, ENTREGADO, CAMBIO) VALUES (0, '', 0, 0, 0, 0);

insert into webconfig(inicio) values(0);
UPDATE webconfig SET port = '25', portinformes = '25', frecuencia = 60;

INSERT INTO tasas (Nombre, valor) VALUES ('IVA GENERAL', 21);
